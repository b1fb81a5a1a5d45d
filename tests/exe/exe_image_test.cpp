// Both Windows exes as files, read natively (so also where Wine cannot run the x86 one): what
// a Windows 7 SP1 to 11 loader checks before it runs them, and the resources every copy carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Import {
    std::string dll;
    std::string function;  // empty for an import by ordinal
};

// The parts of a PE file (PE32 or PE32+) these tests look at.
class PeImage {
public:
    explicit PeImage(const char* path) {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), {});
        if (bytes_.size() < 0x40 || bytes_.compare(0, 2, "MZ") != 0) return;
        nt_ = U32(0x3C);
        if (bytes_.compare(nt_, 4, std::string("PE\0\0", 4)) != 0) return;
        pe32plus_ = U16(nt_ + 24) == 0x20B;
        valid_ = true;
    }
    [[nodiscard]] bool valid() const { return valid_; }
    [[nodiscard]] uint16_t Machine() const { return U16(nt_ + 4); }
    [[nodiscard]] uint16_t Subsystem() const { return U16(nt_ + 24 + 68); }
    [[nodiscard]] uint32_t SubsystemVersion() const { return U16(nt_ + 24 + 48) * 100u + U16(nt_ + 24 + 50); }

    [[nodiscard]] std::vector<Import> Imports() const {
        std::vector<Import> imports;
        for (size_t entry = At(Directory(1)); entry && U32(entry + 12); entry += 20) {
            const std::string dll = Text(At(U32(entry + 12)));
            const uint32_t thunks = U32(entry) ? U32(entry) : U32(entry + 16);
            const size_t width = pe32plus_ ? 8 : 4;
            for (size_t at = At(thunks);; at += width) {
                const uint64_t thunk = pe32plus_ ? U64(at) : U32(at);
                if (thunk == 0) break;
                const bool byOrdinal = (thunk >> (width * 8 - 1)) != 0;
                imports.push_back({dll, byOrdinal ? std::string() : Text(At(static_cast<uint32_t>(thunk)) + 2)});
            }
        }
        return imports;
    }

    // The first language's data of resource type/id; empty when there is none.
    [[nodiscard]] std::string Resource(uint32_t type, uint32_t id) const {
        const size_t root = At(Directory(2));
        if (!root) return {};
        size_t dir = root;
        for (const uint32_t key : {type, id, 0u}) {
            const size_t entries = dir + 16;
            const size_t count = U16(dir + 12) + U16(dir + 14);
            size_t next = 0;
            for (size_t i = 0; i < count && !next; ++i) {
                if (key == 0 || U32(entries + 8 * i) == key) next = U32(entries + 8 * i + 4);
            }
            if (!next) return {};
            dir = root + (next & 0x7FFFFFFF);
        }
        return bytes_.substr(At(U32(dir)), U32(dir + 4));
    }

private:
    template <class T>
    T Read(size_t offset) const {
        T value{};
        if (offset + sizeof value <= bytes_.size()) std::memcpy(&value, bytes_.data() + offset, sizeof value);
        return value;  // little-endian, like every machine these tests run on
    }
    uint16_t U16(size_t offset) const { return Read<uint16_t>(offset); }
    uint32_t U32(size_t offset) const { return Read<uint32_t>(offset); }
    uint64_t U64(size_t offset) const { return Read<uint64_t>(offset); }
    std::string Text(size_t offset) const { return offset ? std::string(bytes_.c_str() + offset) : std::string(); }

    uint32_t Directory(int index) const { return U32(nt_ + 24 + (pe32plus_ ? 112 : 96) + 8 * index); }

    // The file offset of a relative virtual address; 0 when no section holds it.
    size_t At(uint32_t rva) const {
        const size_t sections = nt_ + 24 + U16(nt_ + 20);
        for (size_t i = 0; i < U16(nt_ + 6); ++i) {
            const size_t section = sections + 40 * i;
            const uint32_t start = U32(section + 12);
            if (rva >= start && rva < start + U32(section + 8)) return rva - start + U32(section + 20);
        }
        return 0;
    }

    std::string bytes_;
    size_t nt_ = 0;
    bool pe32plus_ = false;
    bool valid_ = false;
};

struct Exe {
    const char* path;
    uint16_t machine;  // IMAGE_FILE_MACHINE_AMD64, IMAGE_FILE_MACHINE_I386
};
const Exe kExes[] = {{NETSCHEME_EXE_X64, 0x8664}, {NETSCHEME_EXE_X86, 0x14C}};

std::string Utf16(const std::u16string& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), 2 * text.size());
}

// Windows refuses to start an image whose subsystem version is newer than itself.
TEST(ExeImage, IsAGuiProgramForItsMachineThatWindows7Starts) {
    for (const Exe& exe : kExes) {
        const PeImage image(exe.path);
        ASSERT_TRUE(image.valid()) << exe.path << ": not built? Build the mingw and mingw-x86 presets first.";
        EXPECT_EQ(image.Machine(), exe.machine) << exe.path;
        EXPECT_EQ(image.Subsystem(), 2) << exe.path;  // IMAGE_SUBSYSTEM_WINDOWS_GUI
        EXPECT_LE(image.SubsystemVersion(), 601u) << exe.path;
    }
}

TEST(ExeImage, CarriesTheIconVersionBlockAndAManifestThatAsksForNoRaisedRights) {
    for (const Exe& exe : kExes) {
        SCOPED_TRACE(exe.path);
        const PeImage image(exe.path);
        const std::string manifest = image.Resource(24, 1);  // RT_MANIFEST
        EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
        EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
        EXPECT_NE(manifest.find(">true/pm<"), std::string::npos);
        EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
        EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
        // One manifest for both exes, and Windows 7 to 11 named, so none of them runs it in an
        // older compatibility mode.
        EXPECT_NE(manifest.find("name=\"NetScheme\" version=\"1.0.0.0\" processorArchitecture=\"*\""),
                  std::string::npos);
        for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                               "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
            EXPECT_NE(manifest.find(os), std::string::npos) << os;

        const std::string icons = image.Resource(14, 1);  // RT_GROUP_ICON
        ASSERT_GE(icons.size(), 6u);
        const auto count = static_cast<unsigned char>(icons[4]);
        bool has32 = false;
        for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= icons.size(); ++i)
            has32 = has32 || (icons[6 + 14 * i] == 32 && icons[6 + 14 * i + 1] == 32);
        EXPECT_TRUE(has32);

        const std::string version = image.Resource(16, 1);  // RT_VERSION
        EXPECT_NE(version.find(Utf16(u"080404b0")), std::string::npos);
        EXPECT_NE(version.find(Utf16(u"网络方案切换")), std::string::npos);
    }
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Only known DLLs, always loaded from System32: any other import (comctl32 among them) would be
// looked for in the user-writable program folder first, also by the elevated copy, before the
// program could restrict the search. They are also all on Windows 7 SP1, unlike shcore, the
// api-ms-win-* sets and ucrtbase.
TEST(ExeImage, ImportsOnlyDllsThatCannotBePlantedInItsFolder) {
    const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "advapi32.dll"};
    for (const Exe& exe : kExes) {
        const auto imports = PeImage(exe.path).Imports();
        EXPECT_FALSE(imports.empty()) << exe.path;
        for (const Import& import : imports)
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), Lower(import.dll)), allowed.end())
                << exe.path << ": " << import.dll;
    }
}

// Functions of those DLLs that Windows 7 SP1 lacks, with the "Minimum supported client" of
// Microsoft's page for each. An import of one makes the loader refuse to start the exe there
// ("无法定位程序输入点"): such a function must be looked up at run time.
const char* const kNewerThanWindows7[] = {
    // Windows 8; on Windows 7 only with KB2533623
    "SetDefaultDllDirectories",
    "AddDllDirectory",
    "RemoveDllDirectory",
    // Windows 8
    "CreateFile2",
    "CopyFile2",
    "GetSystemTimePreciseAsFileTime",
    "GetOverlappedResultEx",
    "WaitOnAddress",
    "WakeByAddressSingle",
    "WakeByAddressAll",
    "InitializeSynchronizationBarrier",
    "EnterSynchronizationBarrier",
    "PrefetchVirtualMemory",
    "GetCurrentThreadStackLimits",
    "SetProcessMitigationPolicy",
    "GetProcessMitigationPolicy",
    "CreateFileMappingFromApp",
    "MapViewOfFileFromApp",
    "GetFirmwareType",
    "GetPointerType",
    "GetPointerInfo",
    "IsImmersiveProcess",
    "EnableMouseInPointer",
    "GetCurrentInputMessageSource",
    // Windows 8.1
    "LogicalToPhysicalPointForPerMonitorDPI",
    "PhysicalToLogicalPointForPerMonitorDPI",
    "GetDpiForMonitor",
    "SetProcessDpiAwareness",
    "GetProcessDpiAwareness",
    "GetScaleFactorForMonitor",
    // Windows 10, version 1607
    "GetDpiForWindow",
    "GetDpiForSystem",
    "AdjustWindowRectExForDpi",
    "SystemParametersInfoForDpi",
    "EnableNonClientDpiScaling",
    "GetSystemMetricsForDpi",
    "SetThreadDpiAwarenessContext",
    "GetThreadDpiAwarenessContext",
    "GetWindowDpiAwarenessContext",
    "GetAwarenessFromDpiAwarenessContext",
    "AreDpiAwarenessContextsEqual",
    "IsValidDpiAwarenessContext",
    "SetThreadDescription",
    "GetThreadDescription",
    // Windows 10, version 1703
    "SetProcessDpiAwarenessContext",
    // Windows 10, version 1803
    "GetDpiFromDpiAwarenessContext",
    "GetSystemDpiForProcess",
    "SetThreadDpiHostingBehavior",
};

TEST(ExeImage, ImportsNoFunctionThatWindows7Lacks) {
    // The test programs go into the test bundle, which Windows 7 runs too.
    std::vector<std::string> paths = {kExes[0].path, kExes[1].path};
    for (const char* build : {"/mingw/tests/", "/mingw-x86/tests/"})
        for (const char* test :
             {"textfile_tests", "schemes_tests", "netconfig_tests", "form_tests", "win32/win32_tests"})
            paths.push_back(std::string(NETSCHEME_BUILDS) + build + test + ".exe");
    for (const std::string& path : paths) {
        const auto imports = PeImage(path.c_str()).Imports();
        ASSERT_GT(imports.size(), 10u) << path;  // the table was read, not skipped
        for (const Import& import : imports)
            for (const char* newer : kNewerThanWindows7) EXPECT_NE(import.function, newer) << import.dll;
    }
}

}  // namespace
