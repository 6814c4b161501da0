// The host's code page and the local character set: tables for the 256 host bytes, built once,
// and the system's converter for the local side, opened once.
#include "hostsim/code_page.h"

#include "hostsim/host_error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#endif

#include <utility>
#include <vector>

namespace numo::hostsim {

namespace {
// Text of bytes 0 to 127 only: the same in every character set that keeps ASCII.
bool IsAscii(std::string_view text) {
    for (char ch : text) {
        if (static_cast<unsigned char>(ch) >= 0x80)
            return false;
    }
    return true;
}

// Whether a table of the bytes' local texts gives each byte 0 to 127 as itself.
bool ShowsAsciiAsIs(const std::array<std::string, 256>& toLocal) {
    for (int byte = 0; byte < 0x80; ++byte) {
        if (toLocal[static_cast<std::size_t>(byte)] != std::string(1, static_cast<char>(byte)))
            return false;
    }
    return true;
}

#ifndef _WIN32
std::string IconvName(int number) {
    return "CP" + std::to_string(number);
}

// One iconv conversion descriptor, closed with its owner.
class Converter {
public:
    Converter(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Converter() {
        if (Open())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Open() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Back to the initial shift state, for a text of its own.
    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

    // Converts as much of `in` as fits into `room` more bytes at the end of `out`: the
    // conversion's errno (0 when all of `in` went), with `in` advanced past what was converted.
    // With `flush`, a character the converter holds back (some wait for a combining mark) is
    // written out too.
    int Convert(std::string_view& in, std::string& out, std::size_t room, bool flush) {
        std::size_t start = out.size();
        out.resize(start + room);
        char* source = const_cast<char*>(in.data());
        std::size_t left = in.size();
        char* target = out.data() + start;
        std::size_t space = room;
        std::size_t result = iconv(cd_, &source, &left, &target, &space);
        int error = result == static_cast<std::size_t>(-1) ? errno : 0;
        if (error == 0 && flush &&
            iconv(cd_, nullptr, nullptr, &target, &space) == static_cast<std::size_t>(-1))
            error = errno;
        in.remove_prefix(in.size() - left);
        out.resize(start + room - space);
        return error;
    }

    // One step from a fresh state, flushed: what one byte (or one character) converts to.
    int Step(std::string_view& in, std::string& out, std::size_t room) {
        Reset();
        out.clear();
        return Convert(in, out, room, true);
    }

private:
    iconv_t cd_;
};

char32_t FromUtf32(const char* bytes) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[0])) |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[1])) << 8 |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[2])) << 16 |
           static_cast<char32_t>(static_cast<unsigned char>(bytes[3])) << 24;
}

std::string ToUtf32(char32_t ch) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>((ch >> (8 * i)) & 0xFF);
    return bytes;
}

// Whether `from` reads each of the bytes 1 to 127 as that ASCII character, alone and among
// others. A byte that alone begins a sequence of its own (ISO-2022's ESC, UTF-7's '+') says
// that ASCII text may mean something else there.
bool KeepsAscii(Converter& from) {
    std::string ascii, unicode;
    for (int byte = 1; byte < 0x80; ++byte) {
        std::string in(1, static_cast<char>(byte));
        std::string_view rest = in;
        if (from.Step(rest, unicode, 16) != 0 || unicode.size() != 4 ||
            FromUtf32(unicode.data()) != static_cast<char32_t>(byte))
            return false;
        ascii += in;
    }
    std::string_view rest = ascii;
    if (from.Step(rest, unicode, 4 * ascii.size() + 16) != 0 || unicode.size() != 4 * ascii.size())
        return false;
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        if (FromUtf32(unicode.data() + 4 * i) != static_cast<char32_t>(ascii[i]))
            return false;
    }
    return true;
}
#endif
} // namespace

#ifndef _WIN32
// The local character set's decoder into UTF-32, kept for every ToHost: opening one costs more
// than converting a whole line.
class CodePage::Decoder {
public:
    explicit Decoder(const std::string& charset) : converter("UTF-32LE", charset) {}
    Converter converter;
    std::string unicode; // the last text's characters, kept for its capacity
};

std::string CodePage::Unfit(int number) {
    if (number <= 0)
        return "is not a code page number";
    Converter decode("UTF-32LE", IconvName(number));
    if (!decode.Open())
        return "is unknown to iconv";
    for (int byte = 0; byte < 256; ++byte) {
        std::string in(1, static_cast<char>(byte)), unicode;
        std::string_view rest = in;
        int error = decode.Step(rest, unicode, 16);
        // A byte that only begins a character (EINVAL), or one that gives several: not one byte
        // a character. A byte that gives nothing (EILSEQ) is a gap in the page, which is fine.
        if (error == EINVAL || unicode.size() > 4)
            return "has characters of more than one byte";
        if (byte < 0x80 &&
            (unicode.size() != 4 || FromUtf32(unicode.data()) != static_cast<char32_t>(byte)))
            return "does not read the bytes 0 to 127 as ASCII";
    }
    return "";
}

std::string LocaleCharset() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr && *codeset != '\0' ? codeset : "ANSI_X3.4-1968";
}

CodePage::CodePage(int number, const std::string& localCharset)
    : number_(number), local_charset_(localCharset.empty() ? LocaleCharset() : localCharset) {
    std::string unfit = Unfit(number);
    if (!unfit.empty())
        throw HostError("code page " + std::to_string(number) + " " + unfit);
    Converter decode("UTF-32LE", IconvName(number));
    Converter encode(local_charset_, "UTF-32LE");
    decoder_ = std::make_unique<Decoder>(local_charset_);
    if (!encode.Open() || !decoder_->converter.Open())
        throw HostError("the character set " + local_charset_ + " is unknown to iconv");
    local_keeps_ascii_ = KeepsAscii(decoder_->converter);
    for (int byte = 0; byte < 256; ++byte) {
        std::string in(1, static_cast<char>(byte)), unicode, local;
        std::string_view rest = in;
        to_local_[static_cast<std::size_t>(byte)].assign(1, '?');
        if (decode.Step(rest, unicode, 16) != 0 || unicode.size() != 4)
            continue; // no character in this code page
        char32_t ch = FromUtf32(unicode.data());
        to_host_.emplace(ch, static_cast<unsigned char>(byte)); // the first byte of a character
        std::string utf32 = ToUtf32(ch);
        std::string_view source = utf32;
        if (encode.Step(source, local, 16) == 0 && !local.empty())
            to_local_[static_cast<std::size_t>(byte)] = local;
    }
    ascii_shown_as_is_ = ShowsAsciiAsIs(to_local_);
}

std::string CodePage::ToHost(std::string_view local, bool* incomplete) const {
    if (incomplete != nullptr)
        *incomplete = false;
    if (local_keeps_ascii_ && IsAscii(local))
        return std::string(local);
    Converter& decode = decoder_->converter;
    std::string& unicode = decoder_->unicode;
    std::string host;
    host.reserve(local.size());
    decode.Reset();
    while (!local.empty()) {
        unicode.clear();
        // Room for every byte as a character of its own, and a held-back one: one call converts
        // the whole text unless it meets an invalid byte.
        int error = decode.Convert(local, unicode, 4 * local.size() + 16, true);
        for (std::size_t i = 0; i + 4 <= unicode.size(); i += 4) {
            auto found = to_host_.find(FromUtf32(unicode.data() + i));
            host += found != to_host_.end() ? static_cast<char>(found->second) : '?';
        }
        if (error == 0 || error == E2BIG)
            continue;
        if (error == EINVAL) { // a character cut off at the end
            if (incomplete != nullptr) {
                *incomplete = true;
                return host;
            }
            host += '?';
            break;
        }
        // An invalid byte: it stands for one '?', and the text goes on after it.
        local.remove_prefix(1);
        host += '?';
        decode.Reset();
    }
    return host;
}
#else
class CodePage::Decoder {};

std::string CodePage::Unfit(int number) {
    if (number <= 0)
        return "is not a code page number";
    UINT page = static_cast<UINT>(number);
    if (!IsValidCodePage(page))
        return "is unknown to the system";
    CPINFO info{};
    if (!GetCPInfo(page, &info) || info.MaxCharSize != 1)
        return "has characters of more than one byte";
    for (int byte = 0; byte < 0x80; ++byte) {
        char in = static_cast<char>(byte);
        wchar_t ch = 0;
        if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &in, 1, &ch, 1) != 1 ||
            ch != static_cast<wchar_t>(byte))
            return "does not read the bytes 0 to 127 as ASCII";
    }
    return "";
}

std::string LocaleCharset() {
    return "";
}

CodePage::CodePage(int number, const std::string& localCharset)
    : number_(number), local_charset_(localCharset) {
    std::string unfit = Unfit(number);
    if (!unfit.empty())
        throw HostError("code page " + std::to_string(number) + " " + unfit);
    // Typed text comes in the ANSI code page; whether it keeps ASCII, the system tells.
    local_keeps_ascii_ = true;
    for (int byte = 1; byte < 0x80; ++byte) {
        char in = static_cast<char>(byte);
        wchar_t ch = 0;
        if (MultiByteToWideChar(CP_ACP, 0, &in, 1, &ch, 1) != 1 || ch != static_cast<wchar_t>(byte))
            local_keeps_ascii_ = false;
    }
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        wchar_t ch = 0;
        // Host text goes out as it is: the console shows the host's OEM code page.
        to_local_[static_cast<std::size_t>(byte)] = std::string(1, in);
        if (MultiByteToWideChar(static_cast<UINT>(number), MB_ERR_INVALID_CHARS, &in, 1, &ch, 1) ==
            1)
            to_host_.emplace(static_cast<char32_t>(ch), static_cast<unsigned char>(byte));
    }
    ascii_shown_as_is_ = ShowsAsciiAsIs(to_local_);
}

std::string CodePage::ToHost(std::string_view local, bool* incomplete) const {
    // Typed text and arguments come in the ANSI code page.
    if (incomplete != nullptr)
        *incomplete = false;
    if (local_keeps_ascii_ && IsAscii(local))
        return std::string(local);
    std::string host;
    if (local.empty())
        return host;
    int size = static_cast<int>(local.size());
    int count = MultiByteToWideChar(CP_ACP, 0, local.data(), size, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(count > 0 ? count : 0));
    if (count > 0)
        MultiByteToWideChar(CP_ACP, 0, local.data(), size, wide.data(), count);
    for (wchar_t ch : wide) {
        auto found = to_host_.find(static_cast<char32_t>(ch));
        host += found != to_host_.end() ? static_cast<char>(found->second) : '?';
    }
    return host;
}
#endif

CodePage::~CodePage() = default;

std::string CodePage::ToLocal(std::string_view host) const {
    std::string local;
    local.reserve(host.size());
    AppendLocal(local, host);
    return local;
}

void CodePage::AppendLocal(std::string& local, std::string_view host) const {
    if (ascii_shown_as_is_ && IsAscii(host)) {
        local.append(host);
        return;
    }
    for (char byte : host)
        local += to_local_[static_cast<unsigned char>(byte)];
}

} // namespace numo::hostsim
