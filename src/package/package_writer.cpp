#include "package/package_writer.h"

#include <zip.h>

#include <fstream>
#include <sstream>

#include "platform/atomic_file.h"
#include "platform/cp1252.h"
#include "settings/ini_file.h"

namespace vantor {

std::string MakeZip(const std::string &entryName, const std::string &data) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t *z = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  if (!z) {
    if (buffer) zip_source_free(buffer);
    return {};
  }
  zip_source_keep(buffer);  // read the bytes back after closing the archive
  zip_source_t *entry = zip_source_buffer(z, data.data(), data.size(), 0);
  if (!entry || zip_file_add(z, entryName.c_str(), entry, ZIP_FL_ENC_GUESS) < 0) {
    if (entry) zip_source_free(entry);
    zip_discard(z);
    zip_source_free(buffer);
    return {};
  }
  std::string out;
  if (zip_close(z) == 0 && zip_source_open(buffer) == 0) {
    char chunk[65536];
    zip_int64_t n;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0) out.append(chunk, size_t(n));
    zip_source_close(buffer);
  } else {
    zip_discard(z);
  }
  zip_source_free(buffer);
  return out;
}

bool WritePackage(const std::string &program, const std::string &output,
                  const std::string &settingsText, const std::string &settingsName,
                  const std::vector<PackItem> &items, std::string *error) {
  auto fail = [&](const std::string &why) {
    if (error) *error = why;
    return false;
  };
  std::string bytes;
  if (!readWholeFile(program, bytes)) return fail("cannot read " + program);
  IniFile ini;
  ini.loadFromText(utf8ToCp1252(settingsText));
  for (const PackItem &item : items) {
    std::string data;
    if (!readWholeFile(item.path, data)) return fail("cannot read " + item.path);
    const std::string stored =
        item.raw || item.zipped ? data : MakeZip(item.entry.empty() ? item.key : item.entry, data);
    if (stored.empty() && !data.empty()) return fail("cannot compress " + item.path);
    ini.writeString("zippos", item.key + "_1", std::to_string(bytes.size()));
    bytes += stored;
    ini.writeString("zippos", item.key + "_2", std::to_string(bytes.size()));
    if (item.raw) ini.writeInteger("notzip", item.key, 1);
  }
  const std::string archive = MakeZip(settingsName, ini.toText());
  if (archive.empty()) return fail("cannot compress the settings");
  bytes += "#vantor#" + utf8ToCp1252(settingsName) + "**" + archive;
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  if (!out) return fail("cannot write " + output);
  return true;
}

}  // namespace vantor
