// The shared library exports exactly the names of the export list: none
// missing, none leaking.  Reads the ELF dynamic symbol table directly.
#include <elf.h>
#include <gtest/gtest.h>

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

}  // namespace

TEST(ExportTable, MatchesTheExportList) {
  std::vector<char> image = readFile(QELBASE_SHARED_LIBRARY);
  ASSERT_GT(image.size(), 0u) << QELBASE_SHARED_LIBRARY;
  ASSERT_EQ(std::memcmp(image.data(), ELFMAG, SELFMAG), 0);
  ASSERT_EQ(image[EI_CLASS], ELFCLASS64);

  std::set<std::string> exported = exportedSymbols(image), listed = listedNames(QELBASE_EXPORT_LIST);
  ASSERT_FALSE(listed.empty());
  for (const std::string& name : listed) EXPECT_TRUE(exported.count(name)) << "missing export: " << name;
  for (const std::string& name : exported) EXPECT_TRUE(listed.count(name)) << "unlisted export: " << name;
}
