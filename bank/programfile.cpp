// SPDX-FileCopyrightText: 2026 МОРВ developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "bank/programfile.h"

#include "bank/payload.h"

#include <QtEndian>

#include <algorithm>

namespace morv {

namespace {

// Unsigned fields of a header, read within the bytes only; each read says whether it could be made.
class Fields
{
public:
    Fields(QByteArrayView bytes, bool bigEndian) : m_bytes(bytes), m_big(bigEndian) {}

    bool fits(quint64 offset, quint64 size) const
    {
        return offset <= quint64(m_bytes.size()) && size <= quint64(m_bytes.size()) - offset;
    }
    // The field of `width` bytes (2, 4 or 8) at `offset`; 0 and ok false past the end.
    quint64 at(quint64 offset, int width)
    {
        if (!fits(offset, quint64(width))) {
            m_ok = false;
            return 0;
        }
        const char *p = m_bytes.data() + offset;
        switch (width) {
        case 2:
            return m_big ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
        case 4:
            return m_big ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        default:
            return m_big ? qFromBigEndian<quint64>(p) : qFromLittleEndian<quint64>(p);
        }
    }
    bool ok() const { return m_ok; }

private:
    QByteArrayView m_bytes;
    bool m_big;
    bool m_ok = true;
};

// Widest end of a table of `count` entries of `size` bytes at `offset`, overflow counted as too far.
quint64 tableEnd(quint64 offset, quint64 count, quint64 size)
{
    if (count != 0 && size > (~quint64(0) - offset) / count)
        return ~quint64(0);
    return offset + count * size;
}

quint64 sum(quint64 a, quint64 b)
{
    return b > ~quint64(0) - a ? ~quint64(0) : a + b;
}

// An ELF file: its header, the program headers and section headers it points to, and the bytes of
// every segment and section that has any in the file.
std::optional<quint64> elfExtent(QByteArrayView bytes)
{
    if (!bytes.startsWith("\x7f"
                          "ELF") ||
        bytes.size() < 16 || (bytes[4] != 1 && bytes[4] != 2) || (bytes[5] != 1 && bytes[5] != 2) ||
        bytes[6] != 1)
        return std::nullopt;
    const bool wide = bytes[4] == 2;
    Fields f(bytes, bytes[5] == 2);
    const int word = wide ? 8 : 4;
    const quint64 headerSize = wide ? 64 : 52;
    const quint64 phoff = f.at(wide ? 32 : 28, word);
    const quint64 shoff = f.at(wide ? 40 : 32, word);
    const quint64 phentsize = f.at(wide ? 54 : 42, 2);
    const quint64 phnum = f.at(wide ? 56 : 44, 2);
    const quint64 shentsize = f.at(wide ? 58 : 46, 2);
    const quint64 shnum = f.at(wide ? 60 : 48, 2);
    if (!f.ok() || (phnum != 0 && phentsize < (wide ? 56u : 32u)) ||
        (shnum != 0 && shentsize < (wide ? 64u : 40u)))
        return std::nullopt;
    quint64 end =
        std::max({headerSize, tableEnd(phoff, phnum, phentsize), tableEnd(shoff, shnum, shentsize)});
    if (!f.fits(0, end))
        return std::nullopt;
    for (quint64 i = 0; i < phnum; ++i) {
        const quint64 entry = phoff + i * phentsize;
        end = std::max(end, sum(f.at(entry + (wide ? 8 : 4), word), f.at(entry + (wide ? 32 : 16), word)));
    }
    constexpr quint64 NoBits = 8; // a section that takes no room in the file, such as .bss
    for (quint64 i = 0; i < shnum; ++i) {
        const quint64 entry = shoff + i * shentsize;
        if (f.at(entry + 4, 4) != NoBits)
            end = std::max(end,
                           sum(f.at(entry + (wide ? 24 : 16), word), f.at(entry + (wide ? 32 : 20), word)));
    }
    return f.ok() ? std::optional(end) : std::nullopt;
}

// A PE file: the MS-DOS stub pointing to the PE header, the section table, every section's bytes, the
// COFF symbols with their string table and the certificates, when there are any.
std::optional<quint64> peExtent(QByteArrayView bytes)
{
    if (!bytes.startsWith("MZ"))
        return std::nullopt;
    Fields f(bytes, false);
    const quint64 pe = f.at(0x3C, 4);
    if (!f.ok() || !f.fits(pe, 24) || bytes.sliced(qsizetype(pe), 4) != QByteArrayView("PE\0\0", 4))
        return std::nullopt;
    const quint64 sections = f.at(pe + 6, 2);
    const quint64 symbols = f.at(pe + 12, 4);
    const quint64 symbolCount = f.at(pe + 16, 4);
    const quint64 optional = pe + 24;
    const quint64 optionalSize = f.at(pe + 20, 2);
    const quint64 magic = f.at(optional, 2);
    if (!f.ok() || (magic != 0x10b && magic != 0x20b))
        return std::nullopt;
    const quint64 table = optional + optionalSize;
    quint64 end = tableEnd(table, sections, 40);
    if (!f.fits(0, end))
        return std::nullopt;
    for (quint64 i = 0; i < sections; ++i)
        end = std::max(end, sum(f.at(table + i * 40 + 20, 4), f.at(table + i * 40 + 16, 4)));
    if (symbols != 0) {
        const quint64 strings = tableEnd(symbols, symbolCount, 18);
        end = std::max(end, sum(strings, f.at(strings, 4)));
    }
    // The certificates are the fifth data directory, and its address is a place in the file.
    const quint64 directoryCount = optional + (magic == 0x20b ? 108 : 92);
    const quint64 certificates = directoryCount + 4 + 4 * 8;
    if (certificates + 8 <= table && f.at(directoryCount, 4) > 4)
        end = std::max(end, sum(f.at(certificates, 4), f.at(certificates + 4, 4)));
    return f.ok() ? std::optional(end) : std::nullopt;
}

} // namespace

std::optional<qsizetype> executableExtent(QByteArrayView bytes)
{
    std::optional<quint64> end = elfExtent(bytes);
    if (!end)
        end = peExtent(bytes);
    if (!end || *end > quint64(bytes.size()))
        return std::nullopt;
    return qsizetype(*end);
}

ProgramFile programFile(QByteArrayView bytes)
{
    const std::optional<qsizetype> programEnd = morv::programEnd(bytes);
    const std::optional<qsizetype> extent = executableExtent(bytes.first(programEnd.value_or(bytes.size())));
    // The mark counts only within the executable: quoted in an archive or a text, it makes no program.
    const std::optional<ProgramMark> mark = extent ? programMark(bytes.first(*extent)) : std::nullopt;
    if (!mark)
        return ProgramFile::Other;
    if (*mark == ProgramMark::AsBuilt)
        return programEnd == bytes.size() ? ProgramFile::AsBuilt : ProgramFile::Other;
    return programEnd && *programEnd < bytes.size() ? ProgramFile::Packed : ProgramFile::PackedDamaged;
}

} // namespace morv
