#include "platform/PrintDestinations.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <fstream>

#include "platform/FileSystem.h"
#include "platform/Kernel.h"
#include "platform/Process.h"
#include "platform/TextCodec.h"

namespace w32::printing {
namespace {

struct tNamedPaper {
    const char* name;
    int32_t width;
    int32_t length;
};

const tNamedPaper kNamedPapers[] = {
    {"a3", 2970, 4200},
    {"a4", 2100, 2970},
    {"a5", 1480, 2100},
    {"b5", 1760, 2500},
    {"letter", 2159, 2794},
    {"legal", 2159, 3556},
};

// How long the print system may take to answer a question before it counts as silent.
constexpr DWORD kQueryMilliseconds = 10000;

// Sizes a sheet can have, in tenths of a millimetre.
constexpr int32_t kLargestPaper = 32767;

std::string Lowercase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos)
        return {};
    return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

bool ParseNumber(std::string_view text, double* value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size() && *value > 0;
}

// "<width>x<length><unit>", the last part of a self-describing media name.
bool ParseDimensions(std::string_view text, int32_t* width, int32_t* length)
{
    double tenthsPerUnit;
    if (text.ends_with("mm"))
        tenthsPerUnit = 10.0;
    else if (text.ends_with("in"))
        tenthsPerUnit = 254.0;
    else
        return false;
    text.remove_suffix(2);
    const size_t cross = text.find('x');
    double across = 0, down = 0;
    if (cross == std::string_view::npos || !ParseNumber(text.substr(0, cross), &across) ||
        !ParseNumber(text.substr(cross + 1), &down))
        return false;
    const double w = std::round(across * tenthsPerUnit);
    const double h = std::round(down * tenthsPerUnit);
    if (w < 1 || h < 1 || w > kLargestPaper || h > kLargestPaper)
        return false;
    *width = int32_t(w);
    *length = int32_t(h);
    return true;
}

// The value of `name=` among the options `lpoptions` prints, some of them quoted.
std::string OptionValue(const std::string& options, const std::string& name)
{
    size_t at = 0;
    while (at < options.size()) {
        const size_t start = options.find_first_not_of(" \t\r\n", at);
        if (start == std::string::npos)
            break;
        std::string token;
        char quote = 0;
        for (at = start; at < options.size() && (quote || options[at] != ' '); ++at) {
            const char c = options[at];
            if (!quote && (c == '\'' || c == '"'))
                quote = c;
            else if (c == quote)
                quote = 0;
            else
                token += c;
        }
        if (token.starts_with(name + "="))
            return token.substr(name.size() + 1);
    }
    return std::string();
}

tPage PageOf(int32_t width, int32_t length)
{
    tPage page;
    page.paperWidth = width;
    page.paperLength = length;
    return page;
}

std::string SystemPaperName()
{
    if (const char* name = std::getenv("PAPERSIZE"); name && *name)
        return name;
    std::ifstream file("/etc/papersize");
    std::string line;
    while (std::getline(file, line)) {
        const std::string_view name = Trimmed(line);
        if (!name.empty() && name[0] != '#')
            return std::string(name);
    }
    return std::string();
}

// The printed painting waits for lp in a file that only its owner may read, made new.
bool WritePrivateTemporary(const std::string& pdf, std::string* path)
{
    char16_t folder[MAX_PATH];
    char16_t name[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) >= MAX_PATH || !GetTempFileNameW(folder, u"prt", 0, name))
        return false;
    if (!WideToFileName(name, path))
        return false;
    const int descriptor = open(path->c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    bool written = descriptor >= 0 && fchmod(descriptor, 0600) == 0;
    for (size_t done = 0; written && done < pdf.size();) {
        const ssize_t wrote = write(descriptor, pdf.data() + done, pdf.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        written = wrote > 0;
        done += written ? size_t(wrote) : 0;
    }
    if (descriptor >= 0 && close(descriptor) != 0)
        written = false;
    if (!written)
        unlink(path->c_str());
    return written;
}

}  // namespace

bool ParsePaperName(std::string_view name, int32_t* width, int32_t* length)
{
    const std::string lower = Lowercase(Trimmed(name));
    for (const tNamedPaper& paper : kNamedPapers) {
        if (lower == paper.name) {
            *width = paper.width;
            *length = paper.length;
            return true;
        }
    }
    const size_t underscore = lower.rfind('_');
    return underscore != std::string::npos && ParseDimensions(std::string_view(lower).substr(underscore + 1), width, length);
}

std::vector<std::u16string> ListDestinations()
{
    std::vector<std::u16string> destinations;
    const process::tProcessResult listed = process::RunForOutput({"lpstat", "-e"}, kQueryMilliseconds);
    if (!listed.finished || listed.exitCode != 0)
        return destinations;
    size_t start = 0;
    while (start < listed.output.size()) {
        size_t end = listed.output.find('\n', start);
        if (end == std::string::npos)
            end = listed.output.size();
        const std::string_view line = Trimmed(std::string_view(listed.output).substr(start, end - start));
        if (!line.empty())
            destinations.push_back(ToWide(line));
        start = end + 1;
    }
    return destinations;
}

std::u16string DefaultDestination(const std::vector<std::u16string>& destinations)
{
    // The name follows the last colon of a text that other languages word differently.
    const process::tProcessResult answer = process::RunForOutput({"lpstat", "-d"}, kQueryMilliseconds);
    const size_t colon = answer.output.rfind(':');
    if (!answer.finished || answer.exitCode != 0 || colon == std::string::npos)
        return std::u16string();
    const std::u16string name = ToWide(Trimmed(std::string_view(answer.output).substr(colon + 1)));
    for (const std::u16string& destination : destinations) {
        if (destination == name)
            return name;
    }
    return std::u16string();
}

tPage SystemPage()
{
    int32_t width = 0, length = 0;
    if (ParsePaperName(SystemPaperName(), &width, &length))
        return PageOf(width, length);
    return PageOf(2100, 2970);
}

tPage DestinationPage(const std::u16string& destination)
{
    const process::tProcessResult options = process::RunForOutput({"lpoptions", "-p", ToAnsi(destination)}, kQueryMilliseconds);
    std::string media = options.finished && options.exitCode == 0 ? OptionValue(options.output, "media") : "";
    media = media.substr(0, media.find(','));
    int32_t width = 0, length = 0;
    return ParsePaperName(media, &width, &length) ? PageOf(width, length) : SystemPage();
}

bool SendToDestination(const std::u16string& destination, const std::u16string& title, const std::string& pdf,
                       DWORD waitMilliseconds)
{
    std::string file;
    if (!WritePrivateTemporary(pdf, &file))
        return false;
    // lp is ended before its file goes, so a job never prints after its failure was reported.
    const process::tProcessResult lp =
        process::RunToEnd({"lp", "-d", ToAnsi(destination), "-t", ToAnsi(title), file}, waitMilliseconds);
    unlink(file.c_str());
    return lp.finished && lp.exitCode == 0;
}

}  // namespace w32::printing
