// The INI reader: any bytes parse, every lookup the program makes answers,
// and a value written into the parsed file reads back exactly as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ini_file.h"
#include "tests/fuzz/fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniFile ini;
  ini.Parse(bytes);
  for (const char* section : {"MISC", "FREEDB", "OUTPUT", "WAV", "MP3", "Position"}) {
    for (const std::string& key : ini.Keys(section)) {
      ini.GetInt(section, key, -7);
      const std::string value = ini.GetString(section, key, "", 256);
      FUZZ_CHECK(value.find('\0') == std::string::npos);
    }
    ini.GetInt(section, "DbClk", -1);
    ini.GetString(section, "DesDir", "/music/ ", 4);
  }
  // Changes land in the first section of that name and survive a round trip.
  const std::string value = " quoted \"value\" ";
  ini.Set("OUTPUT", "DesDir", value);
  ini.Set("New Section", "Key", "1");
  IniFile again;
  again.Parse(ini.Serialize());
  FUZZ_CHECK(again.GetString("OUTPUT", "DesDir", "", 1000) == value);
  FUZZ_CHECK(again.GetInt("New Section", "Key", 0) == 1);
  FUZZ_CHECK(again.Serialize() == ini.Serialize());

  FUZZ_CHECK(ini.RemoveKey("OUTPUT", "DesDir"));
  FUZZ_CHECK(ini.RemoveSection("New Section"));
  FUZZ_CHECK(ini.Keys("New Section").empty());
  return 0;
}
