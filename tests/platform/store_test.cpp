// The per-user store, the atomic write under it and the code page of its
// text, tested directly on files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "../common/test_util.h"
#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "settings/overrides.h"
#include "settings/saver_setting.h"

using namespace vantor;
using namespace vantor::test;

namespace {

const std::string kOurs = "Software\\Orlenta\\Sea.scr";

// Sets ImageInterval to 7 and adds PlayMusic = 1, as a dialog save would.
Status save(RegistryStore &store) {
  return store.updateKey(kOurs, [](RegistryKey &k) {
    k.set("ImageInterval", 7u);
    k.set("PlayMusic", 1u);
  });
}

}  // namespace

TEST(Store, ASaveRewritesOnlyTheLinesOfItsOwnValues) {
  struct Case {
    const char *what;
    std::string before, after;
  } cases[] = {
      {"other hives, comments, deletions, unreadable and continued values stay in place",
       "REGEDIT4\n\n; kept by hand\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"X\"=dword:00000001\n\n"
       "[-HKEY_CURRENT_USER\\Software\\Gone]\n\n"
       "[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n\"Weird\"=dword:zz\n"
       "\"ImageInterval\"=dword:0000000a\n; a note\n"
       "\"Blob\"=hex:01,02,03,\\\n  04,05,\\\n  06\n\n"
       "[HKEY_CURRENT_USER\\Software\\Another]\n\"Bin\"=hex(2):41,00,\\\n"
       "  [HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr],00\n",
       "REGEDIT4\n\n; kept by hand\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n\"X\"=dword:00000001\n\n"
       "[-HKEY_CURRENT_USER\\Software\\Gone]\n\n"
       "[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n\"Weird\"=dword:zz\n"
       "\"ImageInterval\"=dword:00000007\n; a note\n"
       "\"Blob\"=hex:01,02,03,\\\n  04,05,\\\n  06\n\"PlayMusic\"=dword:00000001\n\n"
       "[HKEY_CURRENT_USER\\Software\\Another]\n\"Bin\"=hex(2):41,00,\\\n"
       "  [HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr],00\n"},
      {"CR LF lines and no line end at the end",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\r\n"
       "\"ImageInterval\"=dword:0000000a\r\n\"PlayMusic\"=dword:00000001",
       "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\r\n"
       "\"ImageInterval\"=dword:00000007\r\n\"PlayMusic\"=dword:00000001"},
      {"a key named twice: the value is rewritten where it is read, the last one",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n\"imageinterval\"=dword:1\n\n"
       "[HKEY_CURRENT_USER\\Software\\Orlenta\\SEA.SCR]\n\"ImageInterval\"=\"text\"\n\n"
       "[HKEY_CURRENT_USER\\Software\\Other]\n",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n\"imageinterval\"=dword:1\n\n"
       "[HKEY_CURRENT_USER\\Software\\Orlenta\\SEA.SCR]\n\"ImageInterval\"=dword:00000007\n"
       "\"PlayMusic\"=dword:00000001\n\n[HKEY_CURRENT_USER\\Software\\Other]\n"},
      {"no store yet", "",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n"
       "\"ImageInterval\"=dword:00000007\n\"PlayMusic\"=dword:00000001\n"},
      {"a key of our own is added at the end",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"A\"=\"b\"",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"A\"=\"b\"\n\n"
       "[HKEY_CURRENT_USER\\Software\\Orlenta\\Sea.scr]\n"
       "\"ImageInterval\"=dword:00000007\n\"PlayMusic\"=dword:00000001\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    RegistryStore store(dir / "user.reg");
    if (!c.before.empty()) writeFile(store.filePath(), c.before);
    ASSERT_TRUE(save(store));
    EXPECT_EQ(readFile(store.filePath()), c.after);
    // Read back, and a save that changes nothing changes no byte.
    auto key = store.openKey(kOurs);
    ASSERT_TRUE(key);
    EXPECT_EQ(std::get<uint32_t>(*key->find("imageinterval")), 7u);
    ASSERT_TRUE(save(store));
    EXPECT_EQ(readFile(store.filePath()), c.after);
  }
}

TEST(Store, ASaveRemovesTheTemporaryFilesOfKilledWriters) {
  struct Case {
    const char *name;
    bool removed;
  } cases[] = {{"user.reg.tmp-AbC123", true},   {"user.reg.tmp-000000", true},
               {"user.reg.tmp-AbC1234", false}, {"user.reg.tmp-AbC12", false},
               {"user.reg.backup", false},      {"user.reg.AbC123", false},
               {"other.reg.tmp-AbC123", false}, {"user.reg.lock", false}};
  TempDir dir;
  RegistryStore store(dir / "user.reg");
  for (const Case &c : cases) writeFile(dir / c.name, std::string(1000, 'x'));
  std::filesystem::create_directory(dir / "user.reg.tmp-folder");
  ASSERT_TRUE(save(store));
  for (const Case &c : cases) EXPECT_EQ(exists(dir / c.name), !c.removed) << c.name;
  EXPECT_TRUE(exists(dir / "user.reg.tmp-folder"));
  EXPECT_TRUE(store.openKey(kOurs));
}

TEST(Store, NamesThatWouldBreakALineAreRefused) {
  const std::string before =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orlenta\\victim.scr]\n"
      "\"ImageInterval\"=dword:0000000a\n";
  const std::string hostile =
      "x\n[HKEY_CURRENT_USER\\Software\\Orlenta\\victim.scr]\n\"ImageInterval\"=dword:00000001\n";
  struct Case {
    const char *what;
    std::function<Status(RegistryStore &)> write;
    bool written;
  } cases[] = {
      {"a program file name with line breaks",
       [&](RegistryStore &s) { return StoreRegistryOverrides(TSaverSetting{}, s, hostile); },
       false},
      {"a key path with a lone CR",
       [](RegistryStore &s) {
         return s.updateKey("Software\\a\r[x]", [](RegistryKey &k) { k.set("A", 1u); });
       },
       false},
      {"a string value with a line break",
       [](RegistryStore &s) {
         return s.updateKey(kOurs, [](RegistryKey &k) { k.set("A", std::string("1\n[x]")); });
       },
       false},
      {"a file name the code page cannot hold",
       [](RegistryStore &s) {
         return StoreRegistryOverrides(TSaverSetting{}, s, "\xE6\x97\xA5.scr");
       },
       false},
      {"brackets in a file name are harmless inside a header",
       [](RegistryStore &s) {
         return StoreRegistryOverrides(TSaverSetting{}, s, "Sea [victim.scr].scr");
       },
       true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    RegistryStore store(dir / "user.reg");
    writeFile(store.filePath(), before);
    EXPECT_EQ(c.write(store).ok(), c.written);
    const std::string after = readFile(store.filePath());
    EXPECT_EQ(after.rfind(before, 0), 0u) << after;  // the victim's lines untouched
    if (!c.written) {
      EXPECT_EQ(after, before);
    }
    auto victim = store.openKey("Software\\Orlenta\\victim.scr");
    ASSERT_TRUE(victim);
    EXPECT_EQ(victim->values.size(), 1u);
  }
  RegistryStore store("/nonexistent/user.reg");
  EXPECT_FALSE(store.openKey(hostile));
}

// Key and value names are kept in the code page on disk; only ASCII letters
// fold case when a key is looked up.
TEST(Store, NamesAreWindows1252OnDisk) {
  TempDir dir;
  RegistryStore store(dir / "user.reg");
  ASSERT_TRUE(store.updateKey("Software\\Orlenta\\\xC3\xA9t\xC3\xA9.scr",
                              [](RegistryKey &k) { k.set("", std::string("\xE2\x82\xAC")); }));
  EXPECT_NE(readFile(store.filePath()).find("\\\xE9t\xE9.scr]\n@=\"\x80\"\n"), std::string::npos);
  EXPECT_FALSE(store.openKey("Software\\Orlenta\\\xC3\x89T\xC3\x89.scr"));
  auto key = store.openKey("Software\\Orlenta\\\xC3\xA9T\xC3\xA9.scr");
  ASSERT_TRUE(key);
  EXPECT_EQ(std::get<std::string>(*key->find("")), "\xE2\x82\xAC");
}
