// Each shared library exports exactly the names of its export list: none
// missing, none leaking; and the platform library's list holds every
// function its header declares.  Reads the ELF dynamic symbol table
// directly.
#include <elf.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<char> readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// Names of the functions and data objects the library defines and exports.
std::set<std::string> exportedSymbols(const std::vector<char>& image) {
  std::set<std::string> names;
  if (image.size() < sizeof(Elf64_Ehdr)) return names;
  auto* eh = reinterpret_cast<const Elf64_Ehdr*>(image.data());
  auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + eh->e_shoff);
  for (int i = 0; i < eh->e_shnum; ++i) {
    if (sections[i].sh_type != SHT_DYNSYM) continue;
    const Elf64_Shdr& strtab = sections[sections[i].sh_link];
    auto* syms = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
    size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
    for (size_t k = 1; k < count; ++k) {
      const Elf64_Sym& s = syms[k];
      int bind = ELF64_ST_BIND(s.st_info), type = ELF64_ST_TYPE(s.st_info);
      if (s.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
      if (type != STT_FUNC && type != STT_OBJECT && type != STT_GNU_IFUNC && type != STT_TLS) continue;
      names.insert(image.data() + strtab.sh_offset + s.st_name);
    }
  }
  return names;
}

std::set<std::string> listedNames(const char* path) {
  std::set<std::string> names;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name;
    if (words >> name && name[0] != '#') names.insert(name);
  }
  return names;
}

// The functions a header declares: the name before the parenthesis of each
// declaration that starts a line (continuation lines are indented).
std::set<std::string> declaredFunctions(const char* path) {
  std::set<std::string> names;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || !(std::isalpha(static_cast<unsigned char>(line[0])) || line[0] == '_')) continue;
    const size_t paren = line.find('(');
    if (line.rfind("typedef", 0) == 0 || paren == std::string::npos) continue;
    size_t begin = line.find_last_of(" *", paren);
    names.insert(line.substr(begin == std::string::npos ? 0 : begin + 1, paren - begin - 1));
  }
  return names;
}

struct Library {
  const char* file;
  const char* list;
  const char* header;  // whose functions must all be listed; null: none
};

}  // namespace

TEST(ExportTable, MatchesTheExportList) {
  const Library libraries[] = {
      {QELBASE_SHARED_LIBRARY, QELBASE_EXPORT_LIST, nullptr},
      {QELWIN32_SHARED_LIBRARY, QELWIN32_EXPORT_LIST, QELWIN32_HEADER},
  };
  for (const Library& library : libraries) {
    SCOPED_TRACE(library.file);
    std::vector<char> image = readFile(library.file);
    ASSERT_GT(image.size(), 0u);
    ASSERT_EQ(std::memcmp(image.data(), ELFMAG, SELFMAG), 0);
    ASSERT_EQ(image[EI_CLASS], ELFCLASS64);

    std::set<std::string> exported = exportedSymbols(image), listed = listedNames(library.list);
    ASSERT_FALSE(listed.empty());
    for (const std::string& name : listed) EXPECT_TRUE(exported.count(name)) << "missing export: " << name;
    for (const std::string& name : exported) EXPECT_TRUE(listed.count(name)) << "unlisted export: " << name;
    if (!library.header) continue;
    const std::set<std::string> declared = declaredFunctions(library.header);
    EXPECT_GT(declared.size(), 70u);
    for (const std::string& name : declared)
      EXPECT_TRUE(listed.count(name)) << "declared, not listed: " << name;
  }
}
