#pragma once

// Tests that hold on both engines: the same test body, run once on sms.abs and once on
// the private MariaDB server.
//
//   class Tcategorie : public TTestDeuxMoteurs {};
//   TEST_P(Tcategorie, Creation) { TBaseTest base(true, GetParam()); ... }
//   INSTANCIER_DEUX_MOTEURS(Tcategorie);
//
// A fixture that also serves TEST_F cases (the file's own faults) builds its base with
// Moteur(): the parameter in a TEST_P, the file in a TEST_F.
//   class TEnvoi : public TTestDeuxMoteurs { TBaseTest base{true, Moteur()}; };

#include <gtest/gtest.h>

#include <string>

#include "BaseTest.h"

class TTestDeuxMoteurs : public ::testing::TestWithParam<TMoteurTest> {
  protected:
    static TMoteurTest Moteur() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        return test && test->value_param() ? GetParam() : TMoteurTest::Fichier;
    }
};

inline std::string NomMoteur(const ::testing::TestParamInfo<TMoteurTest>& info) {
    return info.param == TMoteurTest::Fichier ? "Fichier" : "Serveur";
}

#define INSTANCIER_DEUX_MOTEURS(Suite) \
    INSTANTIATE_TEST_SUITE_P(          \
        , Suite, ::testing::Values(TMoteurTest::Fichier, TMoteurTest::Serveur), NomMoteur)
