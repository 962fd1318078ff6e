/* The exported interface of the KARVO register driver (libkarvo.so and the
 * karvo executable). Every function here has C linkage; texts are zero-
 * terminated byte strings, out texts point to a caller's 256-byte buffer,
 * yes/no results are 1/0. Symbols whose names begin with an underscore and a
 * capital letter get an ordinary C name and their exact symbol through
 * KARVO_AS; every declaration carries KARVO_AS so the build can list the
 * exported names. */
#ifndef KARVO_H
#define KARVO_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(KARVO_BUILD)
#define KARVO_API __attribute__((visibility("default")))
#else
#define KARVO_API
#endif
#define KARVO_AS(symbol) __asm__(symbol)

/* ---- data file lines and fields ------------------------------------------
 * OtwartoPlik: 1 when the file opened (*uchwyt is its handle), 0 (*uchwyt -1).
 *   tryb 0 read, 1 write (created, truncated), 2 append, 3 read and write.
 * ZamknieciePliku: 1 when closed (*uchwyt becomes -1), 0 (*uchwyt kept).
 * OdczytanoZPlikuKonkretnaLinie, OdczytanoZPlikuLinieDanych ("$"): 1 and the
 *   line without its marker; 0 at the end of the lines (*zlaLinia 0) or at a
 *   line of another kind (*zlaLinia 1). Comment lines (";") are skipped.
 * ZapisanoDoPlikuLinie, ZapisanoDoPlikuLinieDanych ("$" first): 1 when the
 *   text and the line terminator were written whole, else 0.
 * NapisZawieraDana: 1 and field `numer` (from 1, tab-separated) of the line;
 *   0 and an empty field when it is missing or empty.
 * Moje_feof: 1 when the file stands at its end (its position is kept).
 * ZerowanieNapisu: returns nothing; sets the 256 bytes of the text to 0. */
KARVO_API uint8_t OtwartoPlik(int32_t* uchwyt, const char* sciezka, uint8_t tryb) KARVO_AS("OtwartoPlik");
KARVO_API uint8_t ZamknieciePliku(int32_t* uchwyt) KARVO_AS("ZamknieciePliku");
KARVO_API uint8_t OdczytanoZPlikuKonkretnaLinie(int32_t uchwyt, char znacznik, char* linia,
                                                uint8_t* zlaLinia) KARVO_AS("OdczytanoZPlikuKonkretnaLinie");
KARVO_API uint8_t OdczytanoZPlikuLinieDanych(int32_t uchwyt, char* linia, uint8_t* zlaLinia)
    KARVO_AS("OdczytanoZPlikuLinieDanych");
KARVO_API uint8_t ZapisanoDoPlikuLinie(int32_t uchwyt, const char* tekst) KARVO_AS("ZapisanoDoPlikuLinie");
KARVO_API uint8_t ZapisanoDoPlikuLinieDanych(int32_t uchwyt, const char* tekst)
    KARVO_AS("ZapisanoDoPlikuLinieDanych");
KARVO_API uint8_t NapisZawieraDana(const char* linia, uint8_t numer, char* pole) KARVO_AS("NapisZawieraDana");
KARVO_API uint8_t Moje_feof(int32_t uchwyt) KARVO_AS("Moje_feof");
KARVO_API void ZerowanieNapisu(char* tekst) KARVO_AS("ZerowanieNapisu");

/* ---- field validators -----------------------------------------------------
 * Each returns 1 when the text is a valid value of its kind and stores the
 * value; 0 otherwise (the value is then 0, or left as it was for Word, Byte,
 * HEX Byte, Boolean and the parity). No validator sets a ResultCode.
 * ZnakJestCyfra: "0".."9", *cyfra its value. ZnakJestKropkaLubPrzecinkiem: "." or ",".
 * PoprawnaLiczbaZmiennoprzecinkowa: digits with one "." or ","; *wartosc the
 *   digits as one number, *miejsca its decimal places ("12,50": 125 and 1).
 * PoprawnaLiczbaOsmiobajtowa: decimal digits below 2^64, spaces ignored.
 * PoprawnaLiczbaSzesciobajtowa(Dec|Hex|WCudzyslowie): a 48-bit number, least
 *   significant byte first: decimal, hexadecimal with $, H or 0x, or 1 to 6
 *   characters between apostrophes; without a suffix, the first form that fits.
 * PoprawnaLiczbaTypuLong: a six-byte number below 2^32. PoprawnaLiczbaZPodanegoZakresu:
 *   a Long from minimum to maksimum (*wartosc holds the Long even when it is outside).
 * PoprawnaLiczbaTypuWord 0..65535, PoprawnaLiczbaTypuByte 0..255,
 * PoprawnaLiczbaHEXTypuByte hexadecimal digits 0..FF, PoprawnaLiczbaTypuBoolean 0 or 1.
 * PoprawnyNapisOpisujacyParzystosc: NONE/N 0, ODD/O 1, EVEN/E 2, any letter case. */
KARVO_API uint8_t ZnakJestCyfra(char znak, uint8_t* cyfra) KARVO_AS("ZnakJestCyfra");
KARVO_API uint8_t ZnakJestKropkaLubPrzecinkiem(char znak) KARVO_AS("ZnakJestKropkaLubPrzecinkiem");
KARVO_API uint8_t PoprawnaLiczbaZmiennoprzecinkowa(const char* tekst, uint32_t* wartosc, uint8_t* miejsca)
    KARVO_AS("PoprawnaLiczbaZmiennoprzecinkowa");
KARVO_API uint8_t PoprawnaLiczbaOsmiobajtowa(const char* tekst, uint8_t liczba[8])
    KARVO_AS("PoprawnaLiczbaOsmiobajtowa");
KARVO_API uint8_t PoprawnaLiczbaSzesciobajtowaDec(const char* tekst, uint8_t liczba[6])
    KARVO_AS("PoprawnaLiczbaSzesciobajtowaDec");
KARVO_API uint8_t PoprawnaLiczbaSzesciobajtowaHex(const char* tekst, uint8_t liczba[6])
    KARVO_AS("PoprawnaLiczbaSzesciobajtowaHex");
KARVO_API uint8_t PoprawnaLiczbaSzesciobajtowaWCudzyslowie(const char* tekst, uint8_t liczba[6])
    KARVO_AS("PoprawnaLiczbaSzesciobajtowaWCudzyslowie");
KARVO_API uint8_t PoprawnaLiczbaSzesciobajtowa(const char* tekst, uint8_t liczba[6])
    KARVO_AS("PoprawnaLiczbaSzesciobajtowa");
KARVO_API uint8_t PoprawnaLiczbaTypuLong(const char* tekst, uint32_t* wartosc) KARVO_AS("PoprawnaLiczbaTypuLong");
KARVO_API uint8_t PoprawnaLiczbaZPodanegoZakresu(const char* tekst, uint32_t minimum, uint32_t maksimum,
                                                 uint32_t* wartosc) KARVO_AS("PoprawnaLiczbaZPodanegoZakresu");
KARVO_API uint8_t PoprawnaLiczbaTypuWord(const char* tekst, uint32_t* wartosc) KARVO_AS("PoprawnaLiczbaTypuWord");
KARVO_API uint8_t PoprawnaLiczbaTypuByte(const char* tekst, uint8_t* wartosc) KARVO_AS("PoprawnaLiczbaTypuByte");
KARVO_API uint8_t PoprawnaLiczbaHEXTypuByte(const char* tekst, uint8_t* wartosc)
    KARVO_AS("PoprawnaLiczbaHEXTypuByte");
KARVO_API uint8_t PoprawnaLiczbaTypuBoolean(const char* tekst, uint8_t* wartosc)
    KARVO_AS("PoprawnaLiczbaTypuBoolean");
KARVO_API uint8_t PoprawnyNapisOpisujacyParzystosc(const char* tekst, uint8_t* parzystosc)
    KARVO_AS("PoprawnyNapisOpisujacyParzystosc");

/* ---- serial port ---------------------------------------------------------
 * Every function works on the port table entry selected by SetComSelector.
 * InitializePort, pInitializePort (parity 0 none, 1 odd, else even): 0 when
 *   the port opened, 5 when the entry is open already, else the system's error
 *   code. UnInitializePort, ClearPort: 0 or the system's error code.
 * SerialPortPresent: 1 when the port exists and is free. WriteByte: 1 when the
 *   byte was written, 0 not. ReadByte: 1 and *bajt when a byte came, 0 not.
 * TimeOut: 1 when the last transfer moved no byte. UstawCTS: the flag given.
 * ModemStatus: 0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 carrier detect.
 * CharSent: 1 when the output was sent (0 when the flush failed).
 * SetDTRLine, ClearDTRLine, SetRTSLine, ClearRTSLine: non-zero on success.
 * ChangeParity, MsSetTimeouts, ChangeSpeedWinseria: 1 on success, 0 not.
 * SetComSelector: the index given. GetComSelector, GetCOMNumber: return
 *   nothing, store the index, the entry's port (0: empty entry).
 * GetCOMHandle: the entry's device handle, 0 for an empty entry. GetSpeed:
 *   the entry's speed, 0 for an empty entry. UstawKanalWinseria: 1 when
 *   channel 1 to 4 was selected on DTR and RTS, 0 for another channel or a
 *   failed line. PIPAdress: the port server's address of a virtual port, ""
 *   for another port (valid until the next call). IsError: 1 and the last
 *   error (message in code page 1250, at most 51 characters, and its code),
 *   which it then clears; 0 when there was none. Dzwiek: a short beep. */
KARVO_API int32_t InitializePort(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu)
    KARVO_AS("InitializePort");
KARVO_API int32_t pInitializePort(uint8_t port, int32_t predkosc, uint16_t czasZapisu, uint16_t czasOdczytu,
                                  uint8_t parzystosc) KARVO_AS("pInitializePort");
KARVO_API int32_t UnInitializePort(void) KARVO_AS("UnInitializePort");
KARVO_API uint8_t SerialPortPresent(uint8_t port) KARVO_AS("SerialPortPresent");
KARVO_API int32_t ClearPort(void) KARVO_AS("ClearPort");
KARVO_API uint8_t WriteByte(uint8_t bajt) KARVO_AS("WriteByte");
KARVO_API uint8_t ReadByte(uint8_t* bajt) KARVO_AS("ReadByte");
KARVO_API uint8_t TimeOut(void) KARVO_AS("TimeOut");
KARVO_API uint8_t UstawCTS(uint8_t flaga) KARVO_AS("UstawCTS");
KARVO_API uint8_t ModemStatus(void) KARVO_AS("ModemStatus");
KARVO_API uint8_t CharSent(void) KARVO_AS("CharSent");
KARVO_API int32_t SetDTRLine(void) KARVO_AS("SetDTRLine");
KARVO_API int32_t ClearDTRLine(void) KARVO_AS("ClearDTRLine");
KARVO_API int32_t SetRTSLine(void) KARVO_AS("SetRTSLine");
KARVO_API int32_t ClearRTSLine(void) KARVO_AS("ClearRTSLine");
KARVO_API uint8_t ChangeParity(uint8_t parzystosc) KARVO_AS("ChangeParity");
KARVO_API uint8_t MsSetTimeouts(uint32_t czasZapisuMs, uint32_t czasOdczytuMs) KARVO_AS("MsSetTimeouts");
KARVO_API uint8_t ChangeSpeedWinseria(uint32_t predkosc) KARVO_AS("ChangeSpeedWinseria");
KARVO_API uint8_t SetComSelector(uint8_t indeks) KARVO_AS("SetComSelector");
KARVO_API void GetComSelector(uint8_t* indeks) KARVO_AS("GetComSelector");
KARVO_API void GetCOMNumber(uint8_t indeks, uint8_t* port) KARVO_AS("GetCOMNumber");
KARVO_API intptr_t GetCOMHandle(uint8_t indeks) KARVO_AS("GetCOMHandle");
KARVO_API int32_t GetSpeed(uint8_t indeks) KARVO_AS("GetSpeed");
KARVO_API uint8_t UstawKanalWinseria(uint8_t kanal) KARVO_AS("UstawKanalWinseria");
KARVO_API const char* PIPAdress(uint8_t port) KARVO_AS("PIPAdress");
KARVO_API uint8_t IsError(char* komunikat, int32_t* kod) KARVO_AS("IsError");
KARVO_API void Dzwiek(void) KARVO_AS("Dzwiek");

/* ---- link and device identification ---------------------------------------
 * UstawieniePozostawiacOtwartyPortSzeregowy(1): the port stays open between
 *   commands of one process. SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(0):
 *   a register of another number is no error (22). Both return nothing.
 * OdczytanieNumeruUrzadzenia, OdczytanieTypuUrzadzenia: 1 when the register's
 *   number, or its type and identification, were read; 0 with the ResultCode
 *   of the failure in the session. */
KARVO_API void UstawieniePozostawiacOtwartyPortSzeregowy(uint8_t flaga)
    KARVO_AS("UstawieniePozostawiacOtwartyPortSzeregowy");
KARVO_API void SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia(uint8_t flaga)
    KARVO_AS("SygnalizowanieBleduWeryfikacjiNumeruUrzadzenia");
KARVO_API uint8_t OdczytanieNumeruUrzadzenia(void) KARVO_AS("OdczytanieNumeruUrzadzenia");
KARVO_API uint8_t OdczytanieTypuUrzadzenia(void) KARVO_AS("OdczytanieTypuUrzadzenia");

/* ---- command entry points --------------------------------------------------
 * Each takes the input name (and, for a reading command, the output name),
 * as karvo's /F and /W, runs the command and returns its ResultCode: 0 for
 * success, else the code RAPORT.TXT carries (the guide lists them). */
KARVO_API uint8_t Karvo_ONrKasy(const char* wejscie, const char* wyjscie) KARVO_AS("_ONrKasy");
KARVO_API uint8_t Karvo_ZNrKasy(const char* wejscie) KARVO_AS("_ZNrKasy");
/* goods */
KARVO_API uint8_t Karvo_TowarMax(const char* wejscie, const char* wyjscie) KARVO_AS("_TowarMax");
KARVO_API uint8_t Karvo_OTowar(const char* wejscie, const char* wyjscie) KARVO_AS("_OTowar");
KARVO_API uint8_t Karvo_ZTowar(const char* wejscie) KARVO_AS("_ZTowar");
KARVO_API uint8_t Karvo_ZBPTowar(const char* wejscie, const char* wyjscie) KARVO_AS("_ZBPTowar");
KARVO_API uint8_t Karvo_ZCTowar(const char* wejscie) KARVO_AS("_ZCTowar");
KARVO_API uint8_t Karvo_KTowar(const char* wejscie) KARVO_AS("_KTowar");
KARVO_API uint8_t Karvo_ZBlok(const char* wejscie) KARVO_AS("_ZBlok");
KARVO_API uint8_t Karvo_ONNazwa(const char* wejscie, const char* wyjscie) KARVO_AS("_ONNazwa");
KARVO_API uint8_t Karvo_KTowMax(const char* wejscie) KARVO_AS("_KTowMax");
/* sales */
KARVO_API uint8_t Karvo_OSprzed(const char* wejscie, const char* wyjscie) KARVO_AS("_OSprzed");
KARVO_API uint8_t Karvo_Sorter(const char* wejscie) KARVO_AS("_Sorter");
KARVO_API uint8_t Karvo_Paker(const char* wejscie, const char* wyjscie) KARVO_AS("_Paker");
KARVO_API uint8_t Karvo_SortPak(const char* wejscie, const char* wyjscie) KARVO_AS("_SortPak");
KARVO_API uint8_t Karvo_OOpak(const char* wejscie, const char* wyjscie) KARVO_AS("_OOpak");
KARVO_API uint8_t Karvo_OTSprzed(const char* wejscie, const char* wyjscie) KARVO_AS("_OTSprzed");
KARVO_API uint8_t Karvo_OTSpMax(const char* wejscie, const char* wyjscie) KARVO_AS("_OTSpMax");
KARVO_API uint8_t Karvo_OObrRab(const char* wejscie, const char* wyjscie) KARVO_AS("_OObrRab");
KARVO_API uint8_t Karvo_KSprOp(const char* wejscie) KARVO_AS("_KSprOp");
KARVO_API uint8_t Karvo_OPSprzed(const char* wejscie, const char* wyjscie) KARVO_AS("_OPSprzed");
KARVO_API uint8_t Karvo_OPSpRoz(const char* wejscie, const char* wyjscie) KARVO_AS("_OPSpRoz");
/* register tables and settings, option bits */
KARVO_API uint8_t Karvo_OBajty(const char* wejscie, const char* wyjscie) KARVO_AS("_OBajty");
KARVO_API uint8_t Karvo_ZBajty(const char* wejscie) KARVO_AS("_ZBajty");
KARVO_API uint8_t Karvo_ODBajty(const char* wejscie, const char* wyjscie) KARVO_AS("_ODBajty");
KARVO_API uint8_t Karvo_ZDBajty(const char* wejscie) KARVO_AS("_ZDBajty");
KARVO_API uint8_t Karvo_OJednost(const char* wejscie, const char* wyjscie) KARVO_AS("_OJednost");
KARVO_API uint8_t Karvo_ZJednost(const char* wejscie) KARVO_AS("_ZJednost");
KARVO_API uint8_t Karvo_OGrupa(const char* wejscie, const char* wyjscie) KARVO_AS("_OGrupa");
KARVO_API uint8_t Karvo_ZGrupa(const char* wejscie) KARVO_AS("_ZGrupa");
KARVO_API uint8_t Karvo_OPlat(const char* wejscie, const char* wyjscie) KARVO_AS("_OPlat");
KARVO_API uint8_t Karvo_ZPlat(const char* wejscie) KARVO_AS("_ZPlat");
KARVO_API uint8_t Karvo_ORabat(const char* wejscie, const char* wyjscie) KARVO_AS("_ORabat");
KARVO_API uint8_t Karvo_ZRabat(const char* wejscie) KARVO_AS("_ZRabat");
KARVO_API uint8_t Karvo_OWiersz(const char* wejscie, const char* wyjscie) KARVO_AS("_OWiersz");
KARVO_API uint8_t Karvo_ZWiersz(const char* wejscie) KARVO_AS("_ZWiersz");
KARVO_API uint8_t Karvo_OLinia(const char* wejscie, const char* wyjscie) KARVO_AS("_OLinia");
KARVO_API uint8_t Karvo_ZLinia(const char* wejscie) KARVO_AS("_ZLinia");
KARVO_API uint8_t Karvo_OStatus(const char* wejscie, const char* wyjscie) KARVO_AS("_OStatus");
KARVO_API uint8_t Karvo_OZegar(const char* wejscie, const char* wyjscie) KARVO_AS("_OZegar");
KARVO_API uint8_t Karvo_ONrUnik(const char* wejscie, const char* wyjscie) KARVO_AS("_ONrUnik");
KARVO_API uint8_t Karvo_OKartRab(const char* wejscie, const char* wyjscie) KARVO_AS("_OKartRab");
KARVO_API uint8_t Karvo_ZKartRab(const char* wejscie) KARVO_AS("_ZKartRab");
KARVO_API uint8_t Karvo_ODKBajty(const char* wejscie, const char* wyjscie) KARVO_AS("_ODKBajty");
KARVO_API uint8_t Karvo_ZDKBajty(const char* wejscie) KARVO_AS("_ZDKBajty");
KARVO_API uint8_t Karvo_ODNBajty(const char* wejscie, const char* wyjscie) KARVO_AS("_ODNBajty");
KARVO_API uint8_t Karvo_ZDNBajty(const char* wejscie) KARVO_AS("_ZDNBajty");
/* additional barcodes, barcode codes, keys and goods links */
KARVO_API uint8_t Karvo_ODBarkod(const char* wejscie, const char* wyjscie) KARVO_AS("_ODBarkod");
KARVO_API uint8_t Karvo_ZDBarkod(const char* wejscie) KARVO_AS("_ZDBarkod");
KARVO_API uint8_t Karvo_KDBarkod(const char* wejscie) KARVO_AS("_KDBarkod");
KARVO_API uint8_t Karvo_KTBarkod(const char* wejscie) KARVO_AS("_KTBarkod");
KARVO_API uint8_t Karvo_OPBarkod(const char* wejscie, const char* wyjscie) KARVO_AS("_OPBarkod");
KARVO_API uint8_t Karvo_ZPBarkod(const char* wejscie) KARVO_AS("_ZPBarkod");
KARVO_API uint8_t Karvo_OKlawisz(const char* wejscie, const char* wyjscie) KARVO_AS("_OKlawisz");
KARVO_API uint8_t Karvo_ZKlawisz(const char* wejscie) KARVO_AS("_ZKlawisz");
KARVO_API uint8_t Karvo_KKlawisz(const char* wejscie) KARVO_AS("_KKlawisz");
KARVO_API uint8_t Karvo_OWiaz(const char* wejscie, const char* wyjscie) KARVO_AS("_OWiaz");
KARVO_API uint8_t Karvo_ZWiaz(const char* wejscie) KARVO_AS("_ZWiaz");
KARVO_API uint8_t Karvo_KWiaz(const char* wejscie) KARVO_AS("_KWiaz");
/* cashiers, shift reports and payouts, containers */
KARVO_API uint8_t Karvo_OKasjer(const char* wejscie, const char* wyjscie) KARVO_AS("_OKasjer");
KARVO_API uint8_t Karvo_ZKasjer(const char* wejscie) KARVO_AS("_ZKasjer");
KARVO_API uint8_t Karvo_KKasjer(const char* wejscie) KARVO_AS("_KKasjer");
KARVO_API uint8_t Karvo_OUprKas(const char* wejscie, const char* wyjscie) KARVO_AS("_OUprKas");
KARVO_API uint8_t Karvo_ZUprKas(const char* wejscie) KARVO_AS("_ZUprKas");
KARVO_API uint8_t Karvo_OIKas(const char* wejscie, const char* wyjscie) KARVO_AS("_OIKas");
KARVO_API uint8_t Karvo_OIKasZZ(const char* wejscie, const char* wyjscie) KARVO_AS("_OIKasZZ");
KARVO_API uint8_t Karvo_OIKasOtw(const char* wejscie, const char* wyjscie) KARVO_AS("_OIKasOtw");
KARVO_API uint8_t Karvo_OIKasZam(const char* wejscie, const char* wyjscie) KARVO_AS("_OIKasZam");
KARVO_API uint8_t Karvo_OIKasWla(const char* wejscie, const char* wyjscie) KARVO_AS("_OIKasWla");
KARVO_API uint8_t Karvo_ONKasWla(const char* wejscie, const char* wyjscie) KARVO_AS("_ONKasWla");
KARVO_API uint8_t Karvo_WyplGot(const char* wejscie) KARVO_AS("_WyplGot");
KARVO_API uint8_t Karvo_OPojemn(const char* wejscie, const char* wyjscie) KARVO_AS("_OPojemn");
KARVO_API uint8_t Karvo_ZPojemn(const char* wejscie) KARVO_AS("_ZPojemn");
KARVO_API uint8_t Karvo_OTPojemn(const char* wejscie, const char* wyjscie) KARVO_AS("_OTPojemn");
KARVO_API uint8_t Karvo_ZTPojemn(const char* wejscie) KARVO_AS("_ZTPojemn");
/* the dial-up modem and the communication module */
KARVO_API uint8_t Karvo_ModStart(const char* wejscie) KARVO_AS("_ModStart");
KARVO_API uint8_t Karvo_ModStop(const char* wejscie) KARVO_AS("_ModStop");
KARVO_API uint8_t Karvo_ModHaslo(const char* wejscie) KARVO_AS("_ModHaslo");
KARVO_API uint8_t Karvo_ModNrWer(const char* wejscie, const char* wyjscie) KARVO_AS("_ModNrWer");
KARVO_API uint8_t Karvo_ModIlDzw(const char* wejscie) KARVO_AS("_ModIlDzw");
/* fiscal memory records and the periodic data sets */
KARVO_API uint8_t Karvo_ODaneARG(const char* wejscie, const char* wyjscie) KARVO_AS("_ODaneARG");
KARVO_API uint8_t Karvo_ODanePRG(const char* wejscie, const char* wyjscie) KARVO_AS("_ODanePRG");
KARVO_API uint8_t Karvo_ODataARG(const char* wejscie, const char* wyjscie) KARVO_AS("_ODataARG");
KARVO_API uint8_t Karvo_ODataPRG(const char* wejscie, const char* wyjscie) KARVO_AS("_ODataPRG");
KARVO_API uint8_t Karvo_ZDataAkt(const char* wejscie) KARVO_AS("_ZDataAkt");
KARVO_API uint8_t Karvo_ODaneRek(const char* wejscie, const char* wyjscie) KARVO_AS("_ODaneRek");
KARVO_API uint8_t Karvo_RekorMax(const char* wejscie, const char* wyjscie) KARVO_AS("_RekorMax");
KARVO_API uint8_t Karvo_ONrRekor(const char* wejscie, const char* wyjscie) KARVO_AS("_ONrRekor");
/* cash desk: report and receipt counters, tax rates, the end of the day */
KARVO_API uint8_t Karvo_ONrRap(const char* wejscie, const char* wyjscie) KARVO_AS("_ONrRap");
KARVO_API uint8_t Karvo_ONrParag(const char* wejscie, const char* wyjscie) KARVO_AS("_ONrParag");
KARVO_API uint8_t Karvo_OPodatek(const char* wejscie, const char* wyjscie) KARVO_AS("_OPodatek");
KARVO_API uint8_t Karvo_OPSpRozN(const char* wejscie, const char* wyjscie) KARVO_AS("_OPSpRozN");
KARVO_API uint8_t Karvo_OSpOpMax(const char* wejscie) KARVO_AS("_OSpOpMax");

#ifdef __cplusplus
}
#endif

#endif /* KARVO_H */
