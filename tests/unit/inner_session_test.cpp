// The reset of the session record between the inner sessions of a command
// that runs others: the register identified by its own session stays, with
// the report's third header line; a full session starts from nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "state/session_state.h"

TEST(ZerowanieDanychSesji, InnerSessionsKeepTheIdentifiedRegister) {
  for (const uint8_t pelna : {0, 1}) {
    Sesja.PelnaSesja = pelna;
    Sesja.Urzadzenie.KodTypuKasy = 'u';
    std::strcpy(Sesja.WierszeNaglowka[NaglowekUrzadzenia], "Norda");
    std::strcpy(Sesja.WierszeNaglowka[NaglowekKonfiguracji], "7");
    ZerowanieDanychSesji();
    EXPECT_EQ(Sesja.Urzadzenie.KodTypuKasy, pelna ? 0 : 'u');
    EXPECT_STREQ(Sesja.WierszeNaglowka[NaglowekUrzadzenia], pelna ? "" : "Norda");
    EXPECT_STREQ(Sesja.WierszeNaglowka[NaglowekKonfiguracji], "");
  }
  Sesja.PelnaSesja = 1;
  ZerowanieDanychSesji();
}
