// MivexAdv.dll as a program finds it: loaded by name from beside the program, its seven
// functions found by their undecorated names and called with MivexAdv.h's convention.
#include "MivexAdv.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<std::string> kNames{
    "MX_SearchAll",       "MX_GetSearchDev",         "MX_GetDevInfoUDPbyIP",
    "MX_GetDevConfigUDP", "MX_ResetModifyConfigUDP", "MX_SetModifyConfigUDP",
    "MX_ModifyDevUDPbyIP"};

// The names in the DLL's export directory.
std::vector<std::string> exportedNames(HMODULE module)
{
    const auto* base = reinterpret_cast<const unsigned char*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    const auto* directory = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    const auto* names = reinterpret_cast<const DWORD*>(base + directory->AddressOfNames);
    std::vector<std::string> found;
    for (DWORD i = 0; i < directory->NumberOfNames; ++i)
        found.emplace_back(reinterpret_cast<const char*>(base + names[i]));
    return found;
}

template <typename Function> Function* function(HMODULE module, const char* name)
{
    // Through void (*)(), the one function pointer type every other converts from cleanly.
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class MivexAdvDll : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(m_dll, nullptr) << "MivexAdv.dll not loaded: error " << GetLastError();
    }
    void TearDown() override
    {
        if (m_dll != nullptr)
            FreeLibrary(m_dll);
    }

    HMODULE m_dll = LoadLibraryA("MivexAdv.dll");
};

TEST_F(MivexAdvDll, ExportsExactlyTheSevenUndecoratedNames)
{
    for (const auto& name : kNames)
        EXPECT_NE(GetProcAddress(m_dll, name.c_str()), nullptr) << name;
    EXPECT_THAT(exportedNames(m_dll), testing::UnorderedElementsAreArray(kNames));
}

TEST_F(MivexAdvDll, FunctionsFoundByNameAnswerWithoutAModule)
{
    auto* reset = function<decltype(MX_ResetModifyConfigUDP)>(m_dll, "MX_ResetModifyConfigUDP");
    auto* set = function<decltype(MX_SetModifyConfigUDP)>(m_dll, "MX_SetModifyConfigUDP");
    auto* get = function<decltype(MX_GetDevConfigUDP)>(m_dll, "MX_GetDevConfigUDP");
    ASSERT_TRUE(reset && set && get);
    reset();
    set("NAME", "Pump-7");
    // Nothing was fetched: no value, and the buffer holds an empty text.
    char value[kMxValueSize] = "untouched";
    EXPECT_NE(get("NAME", value), 1);
    EXPECT_STREQ(value, "");
}

} // namespace
