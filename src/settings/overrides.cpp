#include "settings/overrides.h"

#include <variant>
#include <vector>

#include "platform/registry.h"
#include "settings/saver_setting.h"

namespace vantor {

namespace {

using S = TSaverSetting;
using Field = std::variant<uint8_t S::*, bool S::*, int S::*, Sequence S::*>;

struct Override {
  const char *value;
  Field field;
};

const Override kExit[] = {{"MouseMoveExit", &S::MouseMove},
                          {"MousePressExit", &S::MousePress},
                          {"KeyboardPressExit", &S::KeyboardPress},
                          {"ShowCursor", &S::ShowCursor},
                          {"OnlyEscKeyExit", &S::OnlyEscKeyExit}};

const Override kImage[] = {{"BackgroundColor", &S::BackgroundColor},
                           {"ImageInterval", &S::ImageInterval},
                           {"ImageSize", &S::ImageSize},
                           {"ImageSequence", &S::ImageSequence},
                           {"EffectSpeed2", &S::EffectSpeed2},
                           {"PlayMusic", &S::PlayMusic},
                           {"CaptionForceHide", &S::ForceHide}};

const Override kFlash[] = {
    {"FlashSequence", &S::FlashSequence},         {"FlashSize", &S::FlashSize},
    {"FlashQuality", &S::FlashQuality},           {"FlashColor", &S::FlashColor},
    {"FlashDownloadTime", &S::FlashDownloadTime}, {"FlashMute", &S::FlashMute}};

const Override kVideo[] = {{"VideoSequence", &S::VideoSequence},
                           {"VideoSize", &S::VideoSize},
                           {"VideoMute", &S::VideoMute},
                           {"VideoDownloadTime", &S::VideoDownloadTime},
                           {"VideoShowStatus", &S::VideoShowStatus}};

const Override kWeb[] = {
    {"WebSequence", &S::WebSequence},     {"WebInterval", &S::WebInterval},
    {"WebOffline", &S::WebOffline},       {"WebHideScrollBar", &S::WebHideScrollBar},
    {"WebFlatBorder", &S::WebFlatBorder}, {"WebStopPopup", &S::WebStopPopup},
    {"WebShowStatus", &S::WebShowStatus}, {"WebLastPage", &S::WebLastPage},
    {"PlayMusic", &S::PlayMusic}};

void assign(S &s, const Field &field, uint32_t v) {
  std::visit(
      [&](auto member) {
        using T = std::remove_reference_t<decltype(s.*member)>;
        if constexpr (std::is_same_v<T, bool>)
          s.*member = v != 0;
        else
          s.*member = T(int32_t(v));  // bytes keep the low 8 bits
      },
      field);
}

uint32_t valueOf(const S &s, const Field &field) {
  return std::visit([&](auto member) { return uint32_t(int32_t(s.*member)); }, field);
}

// Applies the group in order; false when a value of another type ends the
// reading.
template <size_t N>
bool applyGroup(S &s, const RegistryKey &key, const Override (&group)[N]) {
  for (const Override &o : group) {
    const RegistryValue *v = key.find(o.value);
    if (!v) continue;
    const uint32_t *d = std::get_if<uint32_t>(v);
    if (!d) return false;
    assign(s, o.field, *d);
  }
  return true;
}

}  // namespace

std::string OverridesKeyPath(const std::string &programFileName) {
  return "Software\\Orlenta\\" + programFileName;
}

void ApplyRegistryOverrides(TSaverSetting &s, const RegistryStore &registry,
                            const std::string &programFileName, SaverKind kind) {
  auto key = registry.openKey(OverridesKeyPath(programFileName));
  if (!key) return;
  if (!applyGroup(s, *key, kExit)) return;
  switch (kind) {
    case SaverKind::Image:
      applyGroup(s, *key, kImage);
      break;
    case SaverKind::Flash:
      applyGroup(s, *key, kFlash);
      break;
    case SaverKind::Video:
      applyGroup(s, *key, kVideo);
      break;
    case SaverKind::Web:
      applyGroup(s, *key, kWeb);
      break;
  }
}

Status StoreRegistryOverrides(const TSaverSetting &s, RegistryStore &registry,
                              const std::string &programFileName) {
  return registry.updateKey(OverridesKeyPath(programFileName), [&](RegistryKey &key) {
    for (const Override &o : kExit) key.set(o.value, valueOf(s, o.field));
    for (const Override &o : kImage) key.set(o.value, valueOf(s, o.field));
  });
}

}  // namespace vantor
