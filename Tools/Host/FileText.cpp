#include "FileText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// The length of the UTF-8 character at text[i] when it is one a terminal shows
// as a character (a C1 control is not); 0 otherwise.
size_t ShownCharacterLength(std::string_view text, size_t i) {
    auto byte = [&](size_t at) { return at < text.size() ? static_cast<unsigned char>(text[at]) : 0u; };
    unsigned lead = byte(i);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    auto continues = [&](size_t at, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(at) >= low && byte(at) <= high;
    };
    if (lead == 0xC2) return continues(i + 1, 0xA0) ? 2 : 0;  // C2 80..9F: the C1 controls
    if (lead > 0xC2 && lead <= 0xDF) return continues(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        unsigned low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;  // no overlong, no surrogate
        return continues(i + 1, low, high) && continues(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        unsigned low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
        return continues(i + 1, low, high) && continues(i + 2) && continues(i + 3) ? 4 : 0;
    }
    return 0;
}

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

}  // namespace

bool NeedsEscapes(std::string_view text) {
    // Eight bytes at a time: a byte below 0x20 borrows into its top bit, 0x7F
    // turns to 0 and borrows, a byte from 0x80 has it set. A borrow that runs on
    // only sends a clean line the slow way.
    constexpr uint64_t kOnes = 0x0101010101010101ull, kTops = 0x8080808080808080ull;
    size_t i = 0;
    for (; text.size() - i >= 8; i += 8) {
        uint64_t w;
        memcpy(&w, text.data() + i, 8);
        uint64_t deletes = w ^ (kOnes * 0x7F);
        if ((((w - kOnes * 0x20) & ~w) | ((deletes - kOnes) & ~deletes) | w) & kTops) return true;
    }
    for (; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte >= 0x7F) return true;
    }
    return false;
}

std::string ShownText(std::string_view text, size_t maxBytes) {
    std::string shown;
    size_t i = 0;
    while (i < text.size()) {
        size_t length = ShownCharacterLength(text, i);
        if (i + (length ? length : 1) > maxBytes) break;
        if (length) {
            shown.append(text.data() + i, length);
            i += length;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i++]);
        if (c == '\r' || c == '\n' || c == '\t') {
            shown += '\\';
            shown += c == '\r' ? 'r' : c == '\n' ? 'n' : 't';
        } else {
            shown += "\\x";
            shown += "0123456789abcdef"[c >> 4];
            shown += "0123456789abcdef"[c & 0xF];
        }
    }
    if (i < text.size()) shown += "... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

size_t ByteOrderMarkLength(std::string_view text) { return StartsWith(text, "\xEF\xBB\xBF") ? 3 : 0; }

std::string NotTextKind(std::string_view head) {
    // { first bytes, whether a NUL must follow (the bytes also start words), what the file is }
    static constexpr struct {
        std::string_view magic;
        bool needsNul;
        const char* kind;
    } kMagics[] = {
        {"\x7F" "ELF", false, "an ELF executable"},
        {"\xCF\xFA\xED\xFE", false, "a Mach-O executable"},
        {"\xCE\xFA\xED\xFE", false, "a Mach-O executable"},
        {"\xCA\xFE\xBA\xBE", false, "a Mach-O universal executable"},
        {"MZ", true, "a Windows executable"},
        {"\x1F\x8B", false, "a gzip-compressed file"},
        {"PK\x03\x04", false, "a zip archive"},
        {"BZh", true, "a bzip2-compressed file"},
        {"\xFD" "7zXZ", false, "an xz-compressed file"},
        {"\x28\xB5\x2F\xFD", false, "a zstd-compressed file"},
        {"\xFF\xFE", false, "UTF-16 text (little-endian)"},
        {"\xFE\xFF", false, "UTF-16 text (big-endian)"},
    };
    head = head.substr(0, kTextSniffBytes);
    size_t firstNul = head.find('\0');
    bool hasNul = firstNul != std::string_view::npos;
    for (const auto& magic : kMagics)
        if (StartsWith(head, magic.magic) && (hasNul || !magic.needsNul)) return magic.kind;
    if (!hasNul) {
        size_t controls = 0;
        for (char c : head) {
            auto byte = static_cast<unsigned char>(c);
            controls += byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1B;
        }
        if (controls * 8 <= head.size()) return "";
        return "binary data (" + std::to_string(controls) + " control bytes in its first " +
               std::to_string(head.size()) + ")";
    }
    // UTF-16 without a byte-order mark: a NUL beside nearly every character, on one side.
    size_t nuls[2] = {0, 0};
    for (size_t i = 0; i < head.size(); ++i) nuls[i % 2] += head[i] == '\0';
    size_t pairs = head.size() / 2, most = std::max(nuls[0], nuls[1]), fewest = std::min(nuls[0], nuls[1]);
    if (pairs >= 2 && most * 4 >= pairs * 3 && fewest * 8 <= pairs) return "UTF-16 text";
    return "binary data (a NUL byte at offset " + std::to_string(firstNul) + ")";
}
