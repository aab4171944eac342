#pragma once
// Which record field each command-road read code and each library key fills, for tests
// that state a record's texts as read.

#include "SwTcpFunc.h"

#include <map>
#include <string>

inline ConfigField fieldOfReadCode(const std::string& code)
{
    static const std::map<std::string, ConfigField> fields = {
        {"GON", ConfigField::UserName},      {"GDN", ConfigField::DeviceName},
        {"GFE", ConfigField::MacAddress},    {"GDH", ConfigField::IpMode},
        {"GIP", ConfigField::IpAddress},     {"GPN", ConfigField::LocalPort},
        {"GTP", ConfigField::Protocol},      {"GRM", ConfigField::WorkMode},
        {"GDI", ConfigField::TargetIp},      {"GDP", ConfigField::TargetPort},
        {"GGI", ConfigField::Gateway},       {"GNM", ConfigField::NetMask},
        {"GBR", ConfigField::BaudIndex},     {"GPR", ConfigField::Parity},
        {"GBB", ConfigField::DataBitsIndex}, {"GFC", ConfigField::GfcValue},
        {"GDT", ConfigField::GdtValue}};
    return fields.at(code);
}

inline ConfigField fieldOfLibraryKey(const std::string& key)
{
    static const std::map<std::string, ConfigField> fields = {
        {"NAME", ConfigField::DeviceName},     {"MAC", ConfigField::MacAddress},
        {"IP_MODE", ConfigField::IpMode},      {"IP", ConfigField::IpAddress},
        {"MASK", ConfigField::NetMask},        {"GATEWAY", ConfigField::Gateway},
        {"C1_OP", ConfigField::WorkMode},      {"C1_PORT", ConfigField::LocalPort},
        {"C1_CLI_IP1", ConfigField::TargetIp}, {"C1_CLI_PP1", ConfigField::TargetPort},
        {"C1_BAUD", ConfigField::BaudIndex},   {"C1_STOPB", ConfigField::StopBitsIndex},
        {"C1_PARITY", ConfigField::Parity},    {"C1_DATAB", ConfigField::DataBitsIndex}};
    return fields.at(key);
}

// config with the library's texts (by key) as what a read kept.
inline TModelConfig withLibraryTexts(TModelConfig config, const std::map<std::string, std::string>& values)
{
    for (const auto& [key, text] : values)
        config.AsRead[fieldIndex(fieldOfLibraryKey(key))] = text;
    return config;
}
