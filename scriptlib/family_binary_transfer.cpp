// The binary-buffer functions that move data in and out of buffers: files,
// the clipboard, zlib compression, character-set conversion, tagged text
// and the OLE type word.
#include <cstring>
#include <string>
#include <zlib.h>

#include "scriptlib/binary_buffers.h"
#include "scriptlib/families.h"
#include "scriptlib/file_bytes.h"
#include "scriptlib/host_interfaces.h"

namespace qsl {
namespace {

constexpr int32_t clipboard_text_format = 1;
constexpr uint64_t writeex_file_max = uint64_t(1) << 30;

// Stores bytes at offset 0 of the buffer as its whole data; what the old
// data held beyond them is cleared.
void store_data(BinaryBuffer& b, std::string_view bytes) {
    std::memcpy(b.bytes(), bytes.data(), bytes.size());
    if (int32_t(bytes.size()) < b.eod()) std::memset(b.bytes() + bytes.size(), 0, size_t(b.eod()) - bytes.size());
    b.eod() = int32_t(bytes.size());
}

// BinaryRead(handle, file): the file's first bytes, as many as fit; the EOD
// is the count read.
void binary_read(Call& call) {
    std::string path = call.text(1), bytes;
    BinaryBuffer b(call.c, call.integer(0));
    if (read_file_part(path, 0, uint64_t(b.size()), bytes) != FileRead::ok) fail(errors::binary_read_failed);
    store_data(b, bytes);
    call.out.set_int(int32_t(bytes.size()));
}

// BinaryWrite(handle, file): the data (up to the EOD) as the file's content.
void binary_write(Call& call) {
    std::string path = call.text(1), bytes;
    {
        BinaryBuffer b(call.c, call.integer(0));
        bytes.assign(b.data());
    }
    if (!replace_file_bytes(path, bytes)) fail(errors::binary_file_write_failed);
    call.out.set_int(int32_t(bytes.size()));
}

// BinaryReadEx(handle, offset, file, file offset, count): count bytes of the
// file into the buffer at offset; the EOD rises to the end of what was read.
void binary_read_ex(Call& call) {
    std::string path = call.text(2), bytes;
    BinaryBuffer b(call.c, call.integer(0));
    int32_t offset = call.integer(1), file_offset = call.integer(3), count = call.integer(4);
    if (offset < 0) fail(errors::binary_invalid_offset);
    if (count < 0) fail(errors::binary_invalid_count);
    if (file_offset < 0) fail(errors::binary_file_offset);
    if (int64_t(offset) + count > b.size()) fail(errors::binary_count_beyond_end);
    if (read_file_part(path, uint64_t(file_offset), uint64_t(count), bytes) != FileRead::ok)
        fail(errors::binary_file_open_failed);
    std::memcpy(b.bytes() + offset, bytes.data(), bytes.size());
    b.raise_eod(int64_t(offset) + int64_t(bytes.size()));
    call.out.set_int(int32_t(bytes.size()));
}

// BinaryWriteEx(handle, offset, file, file offset, count): count bytes of the
// data at offset over the file's bytes at file offset (-1: at its end); a
// missing file is created. The file is replaced through a work file.
void binary_write_ex(Call& call) {
    std::string path = call.text(2), part;
    int32_t offset = call.integer(1), file_offset = call.integer(3), count = call.integer(4);
    {
        BinaryBuffer b(call.c, call.integer(0));
        if (count > 0) check_data_range(b, offset, count);
        else if (count < 0) fail(errors::binary_invalid_count);
        part.assign(b.data().substr(size_t(std::max(offset, 0)) < b.data().size() ? size_t(offset) : 0, size_t(count)));
    }
    std::string file;
    FileRead r = read_file_bytes(path, file, writeex_file_max);
    if (r != FileRead::ok && r != FileRead::missing) fail(errors::binary_writeex_failed);
    if (file_offset == -1) file_offset = int32_t(file.size());
    if (file_offset < 0 || uint64_t(file_offset) > file.size()) fail(errors::binary_file_offset);
    if (file.size() < size_t(file_offset) + part.size()) file.resize(size_t(file_offset) + part.size());
    file.replace(size_t(file_offset), part.size(), part);
    if (!replace_file_bytes(path, file)) fail(errors::binary_writeex_failed);
    call.out.set_int(count);
}

void binary_clip_get(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    if (call.integer(1) != clipboard_text_format) fail(errors::binary_clip_bad_format);
    std::string text;
    if (!clipboard_text(text)) fail(errors::binary_clip_failed);
    if (text.size() > size_t(b.size())) fail(errors::binary_clip_too_large);
    store_data(b, text);
    call.out.set_int(int32_t(text.size()));
}

// BinaryClipPut(handle, format): the data up to the EOD (or a NUL) as the
// clipboard's text.
void binary_clip_put(Call& call) {
    std::string text;
    {
        BinaryBuffer b(call.c, call.integer(0));
        if (call.integer(1) != clipboard_text_format) fail(errors::binary_clip_bad_format);
        std::string_view data = b.data();
        text.assign(data.substr(0, data.find('\0')));
    }
    if (!set_clipboard_text(text)) fail(errors::binary_clip_failed);
    call.out.set_int(1);
}

// BinaryComp(source, target, level): the source's data as a zlib stream at
// the start of the target (level -1 is zlib's default, 0 to 9 as zlib has
// them); returns its length, which becomes the target's EOD.
void binary_comp(Call& call) {
    int32_t level = call.integer(2);
    if (level < -1 || level > 9) fail(errors::binary_compress_failed);
    std::string data;
    {
        BinaryBuffer source(call.c, call.integer(0));
        data.assign(source.data());
    }
    BinaryBuffer target(call.c, call.integer(1));
    uLongf length = uLongf(target.size());
    if (compress2(target.bytes(), &length, reinterpret_cast<const Bytef*>(data.data()), uLong(data.size()), level) != Z_OK)
        fail(errors::binary_compress_failed);
    target.eod() = int32_t(length);
    call.out.set_int(int32_t(length));
}

// BinaryUncomp(source, target): the zlib stream of the source's data
// inflated into the target; a damaged stream or one that does not fit is 1593.
void binary_uncomp(Call& call) {
    std::string data;
    {
        BinaryBuffer source(call.c, call.integer(0));
        data.assign(source.data());
    }
    BinaryBuffer target(call.c, call.integer(1));
    std::string inflated(size_t(target.size()), '\0');
    uLongf length = uLongf(inflated.size());
    if (uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length, reinterpret_cast<const Bytef*>(data.data()),
                   uLong(data.size())) != Z_OK)
        fail(errors::binary_uncompress_failed);
    store_data(target, std::string_view(inflated.data(), size_t(length)));
    call.out.set_int(int32_t(length));
}

// BinaryConvert(handle, source type, target type, code page, flags): the
// data from one character set to another, in place. Types: 0 ANSI and 1 OEM
// (one byte a character, Latin-1 here), 2 Unicode (UTF-16 little-endian),
// 3 UTF-8; flags 1 upper case, 2 lower case. Returns the new EOD.
constexpr int32_t type_ansi = 0, type_oem = 1, type_unicode = 2, type_utf8 = 3;

bool decode(std::string_view data, int32_t type, std::u32string& out) {
    if (type == type_ansi || type == type_oem) {
        for (char ch : data) out += char32_t(static_cast<unsigned char>(ch));
        return true;
    }
    if (type == type_unicode) {
        if (data.size() % 2) return false;
        for (size_t i = 0; i < data.size(); i += 2) {
            char32_t unit = char32_t(static_cast<unsigned char>(data[i]) | static_cast<unsigned char>(data[i + 1]) << 8);
            if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < data.size()) {
                char32_t low = char32_t(static_cast<unsigned char>(data[i + 2]) | static_cast<unsigned char>(data[i + 3]) << 8);
                if (low < 0xDC00 || low >= 0xE000) return false;
                out += 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else if (unit >= 0xD800 && unit < 0xE000) {
                return false;
            } else {
                out += unit;
            }
        }
        return true;
    }
    for (size_t i = 0; i < data.size();) {
        auto lead = static_cast<unsigned char>(data[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
        if (!length || i + length > data.size()) return false;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(data[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        out += cp;
        i += length;
    }
    return true;
}

std::string encode(const std::u32string& text, int32_t type) {
    std::string out;
    for (char32_t cp : text) {
        if (type == type_ansi || type == type_oem) {
            out += cp < 0x100 ? char(cp) : '?';
        } else if (type == type_unicode) {
            auto unit = [&out](char32_t u) {
                out += char(u & 0xFF);
                out += char(u >> 8);
            };
            if (cp >= 0x10000) {
                unit(0xD800 + ((cp - 0x10000) >> 10));
                unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                unit(cp);
            }
        } else if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | cp >> 6);
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | cp >> 12);
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | cp >> 18);
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// Letters of ASCII and Latin-1 change case; others stay.
char32_t changed_case(char32_t cp, bool upper) {
    bool latin = cp >= 0xC0 && cp <= 0xFE && cp != 0xD7 && cp != 0xF7 && cp != 0xDF;
    if (upper && ((cp >= 'a' && cp <= 'z') || (latin && cp >= 0xE0))) return cp - 32;
    if (!upper && ((cp >= 'A' && cp <= 'Z') || (latin && cp < 0xE0))) return cp + 32;
    return cp;
}

void binary_convert(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t from = call.integer(1), to = call.integer(2), flags = call.integer(4);
    if (from < type_ansi || from > type_utf8) fail(errors::binary_convert_bad_source);
    if (to < type_ansi || to > type_utf8) fail(errors::binary_convert_bad_target);
    if (flags < 0 || flags > 2) fail(errors::binary_convert_bad_flags);
    std::u32string text;
    if (!decode(b.data(), from, text)) fail(errors::binary_convert_failed);
    if (flags)
        for (char32_t& cp : text) cp = changed_case(cp, flags == 1);
    std::string converted = encode(text, to);
    if (converted.size() > size_t(b.size())) fail(errors::binary_convert_too_large);
    store_data(b, converted);
    call.out.set_int(b.eod());
}

// The tag structure that binarytaginit hands out and the other tag functions
// take and give back: the buffer, where the next search starts, the tagged
// text last found (start of its start tag, end of its end tag, -1 for none)
// and the two tags.
struct TagSearch {
    int32_t handle = 0, next = 0, start = -1, end = -1;
    std::string start_tag, end_tag;

    std::string text() const {
        return "qsltag:" + std::to_string(handle) + ':' + std::to_string(next) + ':' + std::to_string(start) + ':' +
               std::to_string(end) + ':' + std::to_string(start_tag.size()) + ':' + start_tag + end_tag;
    }
};

TagSearch parse_tag_search(const std::string& text) {
    TagSearch t;
    long long fields[5];
    int consumed = 0;
    if (std::sscanf(text.c_str(), "qsltag:%lld:%lld:%lld:%lld:%lld:%n", &fields[0], &fields[1], &fields[2], &fields[3],
                    &fields[4], &consumed) != 5 || consumed == 0)
        fail(errors::binary_tag_invalid);
    std::string tags = text.substr(size_t(consumed));
    if (fields[4] <= 0 || size_t(fields[4]) >= tags.size() || fields[1] < 0 || fields[2] < -1 || fields[3] < -1 ||
        fields[1] > INT32_MAX || fields[2] > INT32_MAX || fields[3] > INT32_MAX || fields[0] > INT32_MAX ||
        fields[0] < INT32_MIN || fields[2] > fields[3])
        fail(errors::binary_tag_invalid);
    t.handle = int32_t(fields[0]);
    t.next = int32_t(fields[1]);
    t.start = int32_t(fields[2]);
    t.end = int32_t(fields[3]);
    t.start_tag = tags.substr(0, size_t(fields[4]));
    t.end_tag = tags.substr(size_t(fields[4]));
    return t;
}

void binary_tag_init(Call& call) {
    TagSearch t;
    t.handle = call.integer(0);
    t.start_tag = call.text(1);
    t.end_tag = call.text(2);
    BinaryBuffer b(call.c, t.handle);
    if (t.start_tag.empty() || t.end_tag.empty()) fail(errors::binary_tag_empty);
    call.out.set_string(t.text());
}

// BinaryTagFind(structure): the next tagged text from where the last one
// ended; an empty string when there is none.
void binary_tag_find(Call& call) {
    TagSearch t = parse_tag_search(call.text(0));
    BinaryBuffer b(call.c, t.handle);
    std::string_view data = b.data();
    size_t start = size_t(t.next) <= data.size() ? data.find(t.start_tag, size_t(t.next)) : std::string_view::npos;
    size_t close = start == std::string_view::npos ? start : data.find(t.end_tag, start + t.start_tag.size());
    if (close == std::string_view::npos) {
        call.out.set_string("");
        return;
    }
    t.start = int32_t(start);
    t.end = int32_t(close + t.end_tag.size());
    t.next = t.end;
    call.out.set_string(t.text());
}

// BinaryTagExtr(structure, flags): the text between the tags last found;
// flag 1 trims blanks and line ends around it, flag 2 keeps the tags.
void binary_tag_extr(Call& call) {
    TagSearch t = parse_tag_search(call.text(0));
    int32_t flags = call.integer(1);
    BinaryBuffer b(call.c, t.handle);
    std::string_view data = b.data();
    if (t.start < 0 || size_t(t.end) > data.size()) {
        call.out.set_string("");
        return;
    }
    std::string text(flags & 2 ? data.substr(size_t(t.start), size_t(t.end - t.start))
                               : data.substr(size_t(t.start) + t.start_tag.size(),
                                             size_t(t.end - t.start) - t.start_tag.size() - t.end_tag.size()));
    if (flags & 1) {
        size_t first = text.find_first_not_of(" \t\r\n"), last = text.find_last_not_of(" \t\r\n");
        text = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    }
    call.out.set_string(text);
}

// BinaryTagRepl(structure, text): the tagged text last found, tags and all,
// replaced by text; the data after it moves and the EOD follows.
void binary_tag_repl(Call& call) {
    TagSearch t = parse_tag_search(call.text(0));
    std::string replacement = call.text(1);
    BinaryBuffer b(call.c, t.handle);
    if (t.start < 0 || t.end > b.eod()) fail(errors::binary_tag_invalid);
    std::string data(b.data());
    data.replace(size_t(t.start), size_t(t.end - t.start), replacement);
    if (data.size() > size_t(b.size())) fail(errors::binary_tag_no_room);
    store_data(b, data);
    t.next = t.start + int32_t(replacement.size());
    t.start = t.end = -1;
    call.out.set_string(t.text());
}

// BinaryOleType(handle, type, ...): the type word a buffer carries when it
// is passed to OLE; returns the previous one.
void binary_ole_type(Call& call) {
    BinaryBuffer b(call.c, call.integer(0));
    int32_t type = call.integer(1);
    if (type < 0 || type > 0xFFFF) fail(errors::binary_bad_ole_type);
    int32_t previous = b.slot().ole_type;
    b.slot().ole_type = type;
    call.out.set_int(previous);
}

const Builtin functions[] = {
    {"binaryclipget", binary_clip_get},
    {"binaryclipput", binary_clip_put},
    {"binarycomp", binary_comp},
    {"binaryconvert", binary_convert},
    {"binaryoletype", binary_ole_type},
    {"binaryread", binary_read},
    {"binaryreadex", binary_read_ex},
    {"binarytagextr", binary_tag_extr},
    {"binarytagfind", binary_tag_find},
    {"binarytaginit", binary_tag_init},
    {"binarytagrepl", binary_tag_repl},
    {"binaryuncomp", binary_uncomp},
    {"binarywrite", binary_write},
    {"binarywriteex", binary_write_ex},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
