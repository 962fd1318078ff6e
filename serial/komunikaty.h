// The serial module's messages, in code page 1250 (the readable text beside each).
#pragma once

namespace komunikaty {

inline constexpr const char* JUZ_ZAINICJOWANY = "Ten port jest ju\xBF zainicjowany";  // Ten port jest już zainicjowany
inline constexpr const char* BLAD_BLOKU_KONTROLI =
    "B\xB3\xB9" "d podczas aktualizacji bloku kontroli danych.";  // Błąd podczas aktualizacji bloku kontroli danych.
inline constexpr const char* BRAK_URZADZENIA =
    "System nie potrafi znale\xBF\xE6 danego urz\xB9" "dzenia.";  // System nie potrafi znależć danego urządzenia.
inline constexpr const char* ZABRONIONY_DOSTEP = "Zabroniony dost\xEAp do urz\xB9" "dzenia.";  // Zabroniony dostęp do urządzenia.
inline constexpr const char* NIEPOPRAWNY_UCHWYT =
    "Niepoprawny uchwyt do urz\xB9" "dzenia, proces przerwany.";  // Niepoprawny uchwyt do urządzenia, proces przerwany.
inline constexpr const char* BLEDNE_URZADZENIE =
    "B\xB3\xEA" "dnie okre\x9Clone urz\xB9" "dzenie.";  // Błędnie określone urządzenie.
inline constexpr const char* BLAD_BUFOROW =
    "B\xB3\xEA" "dna inicjalizacja bufor\xF3w Zapisu/Odczytu.";  // Błędna inicjalizacja buforów Zapisu/Odczytu.
inline constexpr const char* ERROR_CREATE_EVENT = "Error CreateEvent. ";  // Error CreateEvent.
inline constexpr const char* BLAD_ODCZYTU_CZASOW =
    " B\xB3\xB9" "d odczytu aktualnych czas\xF3w.";  //  Błąd odczytu aktualnych czasów. (leading blank)
inline constexpr const char* BLAD_CZASOW = "B\xB3\xB9" "d podczas aktualizacji czas\xF3w.";  // Błąd podczas aktualizacji czasów.
inline constexpr const char* BLAD_SYGNALIZACJI =
    "B\xB3\xB9" "d podczas sygnalizacji zdarzenia.";  // Błąd podczas sygnalizacji zdarzenia.
inline constexpr const char* BLAD_CREATE_EVENT = "B\xB3\xB9" "d CreateEvent. ";  // Błąd CreateEvent. (trailing blank)
inline constexpr const char* BLAD_CREATE_EVENT_ODCZYTU = "B\xB3\xB9" "d CreateEvent.";  // Błąd CreateEvent.
inline constexpr const char* BLAD_ZAMKNIECIA_UCHWYTU =
    "B\xB3\xB9" "d zamkni\xEA" "cia uchwytu.";  // Błąd zamknięcia uchwytu.
inline constexpr const char* NIEPOPRAWNY_ZAPIS = "Niepoprawny zapis.";
inline constexpr const char* NIEPOPRAWNY_ODCZYT = "Niepoprawny odczyt.";
inline constexpr const char* NIEPOPRAWNY_ZAPIS_DO_PORTU = "Niepoprawny zapis do portu.";
inline constexpr const char* ODCZYT_PRZERWANY_PRZEZ_SYSTEM = "Odczyt przerwany";  // without the full stop
inline constexpr const char* ODCZYT_PRZERWANY = "Odczyt przerwany.";
inline constexpr const char* ZAPIS_PRZERWANY = "Zapis przerwany.";
inline constexpr const char* TIMEOUT_ZAPISU = "Timeout zapisu.";
inline constexpr const char* TIMEOUT_ODCZYTU = "Timeout odczytu.";
inline constexpr const char* BLAD_ANULACJI = "B\xB3\xB9" "d podczas anulacji zdarzenia.";  // Błąd podczas anulacji zdarzenia.
inline constexpr const char* PORT_NIE_OTWARTY =
    "Port nie jest otwarty, niemo\xBFliwa operacja.";  // Port nie jest otwarty, niemożliwa operacja.
inline constexpr const char* BLAD_OCZEKIWANIA =
    "B\xB3\xB9" "d funkcji WaitForMultipleObjects.";  // Błąd funkcji WaitForMultipleObjects.

// Line errors, in the order they are reported, with their flag values.
struct BladLinii {
  unsigned flaga;
  const char* komunikat;
};
inline constexpr BladLinii BLEDY_LINII[] = {
    {0x10, "Urz\xB9" "dzenie wykry\xB3o stan BREAK (CE_BREAK)."},  // Urządzenie wykryło stan BREAK (CE_BREAK).
    {0x08, "Urz\xB9" "dzenie wykry\xB3o b\xB3\xB9" "d ramki (CE_FRAME)."},  // Urządzenie wykryło błąd ramki (CE_FRAME).
    {0x02, "Zgubiono znaki (CE_OVERRUN)."},
    {0x01, "Zape\xB3niony bufor wej\x9C" "ciowy (CE_RXOVER)."},  // Zapełniony bufor wejściowy (CE_RXOVER).
    {0x04, "Urz\xB9" "dzenie wykry\xB3o b\xB3\xB9" "d parzysto\x9C"
           "ci (CE_RXPARITY)."},  // Urządzenie wykryło błąd parzystości (CE_RXPARITY).
    {0x100, "Zape\xB3niony bufor wyj\x9C" "ciowy (CE_TXFULL)."},  // Zapełniony bufor wyjściowy (CE_TXFULL).
};

// The longest message has 51 characters; IsError's callers provide room for it.
inline constexpr unsigned NAJDLUZSZY_KOMUNIKAT = 51;

}  // namespace komunikaty
