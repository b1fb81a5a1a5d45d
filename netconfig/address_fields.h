// The five address fields, Text1 to Text5: what the window shows, a scheme stores and the apply
// button sets, without the file format.
#pragma once
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// The interface every address command sets: always this name, never a setting.
inline constexpr std::wstring_view kWiredInterface = L"以太网";

// In the order of a scheme block's value lines.
enum class Field : unsigned char { Ip, Mask, Gateway, PreferredDns, AlternateDns };
inline constexpr size_t kFieldCount = 5;
inline constexpr std::array<Field, kFieldCount> kFields = {Field::Ip, Field::Mask, Field::Gateway, Field::PreferredDns,
                                                           Field::AlternateDns};

// A text for each field.
struct AddressFields {
    std::array<std::wstring, kFieldCount> texts;
    [[nodiscard]] std::wstring& operator[](Field f) { return texts[static_cast<size_t>(f)]; }
    [[nodiscard]] const std::wstring& operator[](Field f) const { return texts[static_cast<size_t>(f)]; }
    bool operator==(const AddressFields&) const = default;
};

// What the fields show when the window is made and after every reload of the list.
inline constexpr std::array<std::wstring_view, kFieldCount> kDefaultFieldTexts = {
    L"0.0.0.0", L"255.255.255.0", L"0.0.0.0", L"0.0.0.0", L"114.114.114.114"};
inline const AddressFields kDefaultFields = {{std::wstring(kDefaultFieldTexts[0]), std::wstring(kDefaultFieldTexts[1]),
                                              std::wstring(kDefaultFieldTexts[2]), std::wstring(kDefaultFieldTexts[3]),
                                              std::wstring(kDefaultFieldTexts[4])}};
