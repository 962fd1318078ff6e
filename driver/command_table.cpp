#include "driver/command_table.h"

const PozycjaRozkazu* ZnajdzRozkaz(int32_t kod) {
  // One command runs per process, so one row at a time is enough.
  static PozycjaRozkazu pozycja;
  const PozycjaFunkcji* funkcja = ZnalezienieFunkcji(kod);
  if (!funkcja) return nullptr;
  const OpisFunkcji& opis = *funkcja->Opis;
  pozycja = {opis.Kod, opis.Nazwa, opis.NazwaWydruku, opis.JestPlikWynikowy != 0, funkcja->Wejscie,
             funkcja->WejscieIWyjscie};
  return &pozycja;
}

bool RozkazWybiera(const PozycjaRozkazu* pozycja) {
  return pozycja && (pozycja->ZPlikiemWynikowym ? pozycja->WejscieIWyjscie != nullptr : pozycja->Wejscie != nullptr);
}
