#include <gtest/gtest.h>

#include "envoi/DateEnvoi.h"

TEST(DateEnvoi, UneDatePasseePrendLHeureCourante) {
    const QDateTime maintenant(QDate(2025, 3, 5), QTime(14, 30, 15, 123));
    // Earlier the same day, equal, or an earlier day: the chosen date at the current time.
    EXPECT_EQ(AjusterDateEnvoi(QDateTime(QDate(2025, 3, 5), QTime(8, 0)), maintenant), maintenant);
    EXPECT_EQ(AjusterDateEnvoi(maintenant, maintenant), maintenant);
    EXPECT_EQ(AjusterDateEnvoi(QDateTime(QDate(2025, 3, 1), QTime(23, 0)), maintenant),
              QDateTime(QDate(2025, 3, 1), QTime(14, 30, 15, 123)));
    // Later: kept as it is.
    const QDateTime plusTard(QDate(2025, 3, 5), QTime(14, 30, 16));
    EXPECT_EQ(AjusterDateEnvoi(plusTard, maintenant), plusTard);
    const QDateTime demain(QDate(2025, 3, 6), QTime(7, 0));
    EXPECT_EQ(AjusterDateEnvoi(demain, maintenant), demain);
}
