// The named mutex every copy of the program takes before it changes a scheme file, in the Global
// namespace so that two users of one computer meet in it too.
#pragma once
#include <memory>
#include <string>

#include "file_system.h"
#include "win32/wait.h"

// Takes the lock on `path` (absolute); patiently, waits about 2 s through `wait` while another copy
// holds it. One a copy left when it ended (perhaps mid-change) is ours then: the recovery looks.
[[nodiscard]] LockResult LockSchemeChanges(const std::wstring& path, LockWait patience, win32::Wait wait);

// The mutex's name for `path`: from its folder's identity (volume serial number and file index),
// so that every spelling of one folder (a mapped drive and its UNC path, subst, a short name, a
// junction) gives the same name; from the path without case where the folder cannot be opened.
[[nodiscard]] std::wstring ChangeLockName(const std::wstring& path);
