#include "tests/DynamicSymbols.h"

#include <cstring>
#include <cxxabi.h>
#include <elf.h>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tests
{
namespace
{
template <class T> T readAt(const std::vector<char>& bytes, std::size_t offset)
{
    if (offset > bytes.size() || sizeof(T) > bytes.size() - offset)
        throw std::runtime_error("truncated ELF file");
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof(T));
    return value;
}
} // namespace

std::set<std::string> definedDynamicSymbols(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    const auto header = readAt<Elf64_Ehdr>(bytes, 0);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64)
        throw std::runtime_error(path + " is not a 64-bit ELF file");

    std::set<std::string> names;
    for (unsigned i = 0; i < header.e_shnum; ++i)
    {
        const auto section = readAt<Elf64_Shdr>(bytes, header.e_shoff + i * sizeof(Elf64_Shdr));
        if (section.sh_type != SHT_DYNSYM)
            continue;
        const auto strings = readAt<Elf64_Shdr>(bytes, header.e_shoff + section.sh_link * sizeof(Elf64_Shdr));
        for (std::size_t at = 0; at + sizeof(Elf64_Sym) <= section.sh_size; at += sizeof(Elf64_Sym))
        {
            const auto symbol = readAt<Elf64_Sym>(bytes, section.sh_offset + at);
            const unsigned binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK) ||
                ELF64_ST_VISIBILITY(symbol.st_other) != STV_DEFAULT)
                continue;
            const std::size_t name = strings.sh_offset + symbol.st_name;
            if (name >= bytes.size())
                throw std::runtime_error("symbol name outside the file");
            const char* text = bytes.data() + name;
            names.emplace(text, strnlen(text, bytes.size() - name));
        }
    }
    return names;
}

std::string demangle(const std::string& name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && text ? std::string(text.get()) : name;
}
} // namespace tests
