#include "tools/mkdb/mkdb.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>

#include "tools/mkdb/jet.h"
#include "tools/mkdb/source.h"

namespace ostrolen::mkdb {

int MakeDatabase(const std::string& input, const std::string& output, std::ostream& errors) {
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
    image = JetImage(ParseDescription(text));
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
  if (argc != 3) {
    errors << "usage: ostrolen-mkdb INPUT OUTPUT.mdb\n";
    return 2;
  }
  return MakeDatabase(argv[1], argv[2], errors);
}

}  // namespace ostrolen::mkdb
