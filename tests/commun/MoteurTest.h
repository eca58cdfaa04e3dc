#pragma once

// Tests that hold on both engines: the same test body, run once on sms.abs and once on
// the private MariaDB server.
//
//   class Tcategorie : public TTestDeuxMoteurs {};
//   TEST_P(Tcategorie, Creation) { TBaseTest base(true, GetParam()); ... }
//   INSTANCIER_DEUX_MOTEURS(Tcategorie);

#include <gtest/gtest.h>

#include <string>

#include "BaseTest.h"

class TTestDeuxMoteurs : public ::testing::TestWithParam<TMoteurTest> {};

inline std::string NomMoteur(const ::testing::TestParamInfo<TMoteurTest>& info) {
    return info.param == TMoteurTest::Fichier ? "Fichier" : "Serveur";
}

#define INSTANCIER_DEUX_MOTEURS(Suite) \
    INSTANTIATE_TEST_SUITE_P(          \
        , Suite, ::testing::Values(TMoteurTest::Fichier, TMoteurTest::Serveur), NomMoteur)
