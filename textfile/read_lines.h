// Reads a whole text file into lines (see TextLines).
#pragma once
#include "file_path.h"
#include "file_system.h"
#include "text_lines.h"

struct LoadedLines {
    ReadResult::State state = ReadResult::State::Failed;
    TextLines lines;
    Status error = Status::Ok();
};

[[nodiscard]] LoadedLines ReadTextLines(FileSystem& fs, const FilePath& path);
