#include "read_lines.h"

#include "codepage936.h"

LoadedLines ReadTextLines(FileSystem& fs, const FilePath& path) {
    ReadResult read = fs.ReadFile(path);
    LoadedLines loaded;
    loaded.state = read.state;
    loaded.error = std::move(read.error);
    if (read.state == ReadResult::State::Ok) {
        Codepage936 codepage;
        loaded.lines = TextLines(std::move(read.bytes), codepage);
    }
    return loaded;
}
