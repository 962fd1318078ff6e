// What the file fuzzers share: a working directory of their own (on a
// memory file system where there is one), the input handed to the driver as
// a file it opens by its path (a file the file layer serves from memory, or
// a real one for a reader that goes round the file layer), and a check that
// an input left no file open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// At the start of every input: creates the working directory the first time
// and makes it the platform directory (KARVO_PLATFORM_DIR, where ports.conf
// lies; removed when the process ends), and notes the descriptors open. The
// current directory stays as it is: libFuzzer reads its corpus by the paths
// it was given.
void PrzygotowanieKatalogu();
// The path of a file in the working directory.
std::string Sciezka(const char* nazwa);
// Writes the bytes as the file of that name in the working directory; answers its path.
std::string ZapisPliku(const char* nazwa, const uint8_t* dane, std::size_t rozmiar);
// The same, but the file layer serves the file from memory: no system call
// per open, read or seek, which is what makes a million inputs a matter of minutes.
std::string PlikWPamieci(const char* nazwa, const uint8_t* dane, std::size_t rozmiar);
// Aborts when the driver has more descriptors or memory files open than when the input began.
void BrakOtwartychPlikow();
// Aborts when the text is not terminated within a 256-byte buffer.
void NapisWBuforze(const char* tekst);

}  // namespace fuzz
