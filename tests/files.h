// Whole files as bytes, for checking exactly what the plug-in wrote.
#ifndef TESTS_FILES_H
#define TESTS_FILES_H

#include <doctest/doctest.h>
#include <stdio.h>
#include <string>

inline void writeTextFile(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    REQUIRE(file);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

inline std::string readTextFile(const std::string& path)
{
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return "<no file>";
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    fclose(file);
    return bytes;
}

#endif
