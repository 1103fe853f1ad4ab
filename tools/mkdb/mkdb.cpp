#include "tools/mkdb/mkdb.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string_view>

#include "tools/mkdb/jet.h"
#include "tools/mkdb/source.h"

namespace ostrolen::mkdb {

int MakeDatabase(const std::string& input, const std::string& output, std::ostream& errors,
                 std::uint16_t jet3_code_page) {
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    errors << input << ": cannot open\n";
    return 1;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    errors << input << ": cannot read\n";
    return 1;
  }
  std::string image;
  try {
    const Database db = ParseDescription(text);
    image = jet3_code_page != 0 ? Jet3Image(db, jet3_code_page) : JetImage(db);
  } catch (const InputError& error) {
    errors << input << ':' << error.line() << ": " << error.what() << '\n';
    return 1;
  }
  const std::string temporary = output + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      errors << output << ": cannot write\n";
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), output.c_str()) != 0) {
    std::remove(temporary.c_str());
    errors << output << ": cannot write\n";
    return 1;
  }
  return 0;
}

int RunMkdb(int argc, const char* const argv[], std::ostream& errors) {
  if (argc == 3) return MakeDatabase(argv[1], argv[2], errors);
  if (argc == 5 && std::string_view(argv[1]) == "--jet3") {
    const std::string_view digits(argv[2]);
    unsigned code_page = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code_page);
    if (error == std::errc() && end == digits.data() + digits.size() && code_page > 0 && code_page <= 0xFFFF) {
      return MakeDatabase(argv[3], argv[4], errors, static_cast<std::uint16_t>(code_page));
    }
  }
  errors << "usage: ostrolen-mkdb [--jet3 CODEPAGE] INPUT OUTPUT.mdb\n";
  return 2;
}

}  // namespace ostrolen::mkdb
