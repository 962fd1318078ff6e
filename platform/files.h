// Files as the reference platform has them: binary, opened with sharing
// (deny all / deny write / deny none, enforced between processes with
// open-file-description locks) and names matched case-insensitively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platforma {

enum class Udostepnianie : uint8_t { ZabronWszystko = 0, ZabronZapisu = 1, Zezwol = 2 };

// Modes: 0 read only; 1 write, created, truncated; 2 write, created, appended;
// 3 read and write, created, not truncated. Returns the handle or -1 (also
// when another open's sharing refuses this one; errno is EACCES then).
int32_t OtworzPlik(const char* sciezka, uint8_t tryb, Udostepnianie udostepnianie);
bool ZamknijPlik(int32_t uchwyt);
// Why the last OtworzPlik of this thread that failed did so, in the system's
// words ("No such file or directory"), or that another open's sharing refused it.
std::string PowodNieotwarcia();
// Bytes moved, 0 at the end of the file, -1 on an error.
long CzytajPlik(int32_t uchwyt, void* bufor, std::size_t ile);
long PiszPlik(int32_t uchwyt, const void* bufor, std::size_t ile);
// Positions: whence 0 from the start, 1 from the current position, 2 from the end; -1 on an error.
int64_t UstawPozycjePliku(int32_t uchwyt, int64_t przesuniecie, int skad);
// Flushes the file to the disk; true also for a device that has no disk behind it.
bool SynchronizujPlik(int32_t uchwyt);
// Cuts the file back to the given length (a write that failed half way).
bool ObetnijPlik(int32_t uchwyt, int64_t dlugosc);
bool UsunPlik(const char* sciezka);
// Gives the file a name that no file has yet (false, errno EEXIST, when one
// has it) and puts the change on the disk with the directory.
bool NowaNazwaPliku(const char* sciezka, const char* nowa);
// Puts the directory entry of the file on the disk, so that a file just
// created survives a crash of the machine.
bool SynchronizujKatalogPliku(const char* sciezka);
bool ZmienKatalog(const char* sciezka);
// True when the path names an existing directory.
bool KatalogIstnieje(const char* sciezka);

// True when both names lead to one file: the same file when both exist, else
// the same name but for case in the same directory (so one would create it).
bool TenSamPlik(const char* a, const char* b);

// The path to open: "\" becomes "/"; an exact match wins, otherwise each
// component is matched case-insensitively in its directory; from the first
// component that matches nothing on, the path is kept as given (a new file
// keeps its name, in the directory that was found). Every function here
// resolves its path this way.
std::string DopasowanaSciezka(const char* sciezka);

#ifdef KARVO_FUZZ
// Fuzz builds only: the file of exactly this path is kept in memory from now
// on, with these bytes, and every function above serves it without the
// system (with the same modes, positions and sharing), so that a fuzzer
// reads thousands of inputs a second. The shipped driver has none of this.
void PlikWPamieci(const std::string& sciezka, const void* dane, std::size_t rozmiar);
// How many handles of the memory files are open.
std::size_t OtwarteUchwytyWPamieci();
#endif

}  // namespace platforma
