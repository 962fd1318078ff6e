// Small helpers every part of the service uses: times, random ids, files,
// and the byte-for-character mapping of the JSON interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace karvod {

int64_t NowMs();             // wall clock, milliseconds since 1970
std::string IsoTime(int64_t ms);  // 2026-12-09T15:04:05.123Z
inline std::string NowIso() { return IsoTime(NowMs()); }
std::string RandomId();      // 128 random bits as 32 hexadecimal digits
// A decimal number of 1 to 9 digits and nothing else, within lo..hi.
bool ParseNumber(const std::string& s, int lo, int hi, int& out);

// Bytes as a JSON string: each byte b becomes the character U+00bb (as UTF-8).
std::string BytesToUtf8(const std::string& bytes);
// The reverse: every character must lie in U+0000..U+00FF; nullopt otherwise.
std::optional<std::string> Utf8ToBytes(const std::string& utf8);

std::optional<std::string> ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes, unsigned mode = 0644);
bool MakeDirs(const std::string& path, unsigned mode = 0700);
void RemoveTree(const std::string& path);
bool IsDirectory(const std::string& path);
std::string AbsolutePath(const std::string& path);

}  // namespace karvod
