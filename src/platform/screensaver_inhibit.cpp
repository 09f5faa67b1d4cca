#include "platform/screensaver_inhibit.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariant>

namespace vantor {

namespace {

const char *const kService = "org.freedesktop.ScreenSaver";
const char *const kPath = "/org/freedesktop/ScreenSaver";
// A desktop that hangs must not hold the show's start or end for long.
constexpr int kCallTimeoutMs = 1000;

bool serviceOffered(const QDBusConnection &bus) {
  if (!bus.isConnected() || !bus.interface()) return false;
  return bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

bool ScreenSaverInhibitor::inhibit() {
  if (cookie_) return true;
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!serviceOffered(bus)) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Inhibit");
  call << QStringLiteral("vantor-saver") << QStringLiteral("A slideshow is running");
  const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  cookie_ = reply.arguments().first().toUInt();
  return true;
}

void ScreenSaverInhibitor::release() {
  if (!cookie_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "UnInhibit");
  call << *cookie_;
  cookie_.reset();
  if (bus.isConnected()) bus.call(call, QDBus::Block, kCallTimeoutMs);
}

}  // namespace vantor
