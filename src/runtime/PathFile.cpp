#include "runtime/PathFile.h"

#include "runtime/AtomicFile.h"
#include "runtime/Error.h"
#include "runtime/Paths.h"
#include "runtime/Strings.h"

#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace runtime {

namespace {

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Values in the order the platform's quoted-field input reads them.
std::vector<std::string> parseValues(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3); // an editor's mark
    std::vector<std::string> values;
    std::size_t i = 0, n = text.size();
    bool afterComma = false;
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (i >= n || isLineEnd(text[i])) {
            // "a," at a line end still has an empty last value.
            if (afterComma) values.emplace_back();
            afterComma = false;
            if (i >= n) break;
            ++i;
            continue;
        }
        std::string value;
        if (text[i] == '"') {
            auto close = text.find_first_of("\"\r\n", i + 1);
            if (close == std::string_view::npos) close = n;
            value = text.substr(i + 1, close - i - 1);
            i = close < n && text[close] == '"' ? close + 1 : close;
            // Anything between the closing quote and the next separator is not part of it.
            while (i < n && text[i] != ',' && !isLineEnd(text[i]))
                ++i;
        } else {
            auto end = text.find_first_of(",\r\n", i);
            if (end == std::string_view::npos) end = n;
            value = Trim(text.substr(i, end - i));
            // A hand-edited file may use tabs as well as blanks around a value.
            while (!value.empty() && value.back() == '\t')
                value = Trim(value.substr(0, value.size() - 1));
            i = end;
        }
        values.push_back(std::move(value));
        afterComma = i < n && text[i] == ',';
        if (afterComma) ++i;
    }
    return values;
}

} // namespace

PathFileContent readPathFile(const std::string& path) {
    PathFileContent result;
    std::string p = resolveCase(path);
    int fd = open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return result;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return result;
    }
    result.opened = true;
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break; // a read error keeps what was read so far
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    result.hasContent = st.st_size > 0 || !text.empty();
    result.values = parseValues(text);
    return result;
}

void writePathFile(const std::string& path, const std::vector<std::string>& values) {
    std::string line;
    for (std::size_t k = 0; k < values.size(); ++k) {
        const std::string& v = values[k];
        // The format has no escaping: such a value would come back as different values.
        if (v.find_first_of("\"\r\n") != std::string::npos)
            throw Error(err::InvalidProcedureCall,
                        "A path holding a double quote or a line end cannot be stored: " + v);
        if (k > 0) line += ',';
        line += '"' + v + '"';
    }
    line += "\r\n";
    AtomicFile file(resolveCase(path));
    file.write(line.data(), line.size());
    file.commit();
}

} // namespace runtime
