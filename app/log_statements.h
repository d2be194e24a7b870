#pragma once
// Every statement the log program sends. Values travel as bound parameters
// (":name"); the shapes of the statements are otherwise fixed.

#include <QString>
#include <QStringList>

namespace valmoro::app::statements {

// The visible log as designed (never opened as such).
inline const QString S1 = QStringLiteral("select * from Wpisy order by data desc");
// Login: users and modules for the two lists.
inline const QString S2 = QStringLiteral("SELECT Nazwa FROM Uzytkownicy ORDER BY Nazwa ASC");
inline const QString S3 = QStringLiteral("SELECT Distinct Modul FROM Moduly GROUP BY Modul ORDER BY Modul ASC");
// Login: the chosen user (:nazwa).
inline const QString S4 = QStringLiteral("SELECT * FROM Uzytkownicy WHERE nazwa=:nazwa");
// The module's log (:modul).
inline const QString S5 = QStringLiteral("select * from Wpisy WHERE modul=:modul order by data desc");
// The module's points (:modul).
inline const QString S6 =
    QStringLiteral("SELECT DISTINCT punkt FROM Moduly WHERE Modul=:modul GROUP BY punkt ORDER BY punkt ASC");
// The dates of the oldest and the newest reading of a module (:modul), for
// the date pickers after a login, without reading the whole log.
inline const QString kLogRange =
    QStringLiteral("SELECT min(Data) AS najstarszy, max(Data) AS najnowszy FROM Wpisy WHERE modul=:modul");
// Users register and points register.
inline const QString S10 = QStringLiteral("select * from Uzytkownicy\r\norder by Nazwa asc");
inline const QString S11 = QStringLiteral("select * from Moduly order by Modul, Punkt");

// The module's log between two dates, lower inclusive, upper exclusive
// (:modul, :od, :do). The dates are bound as the short-date texts the program
// makes from the pickers; the data layer reads them as the column's dates.
inline const QString S7 =
    QStringLiteral("select * from Wpisy WHERE modul=:modul AND data>=:od AND data<:do order by data desc");

// A new reading, two lines (:data, :modul, :punkt, :temperatura, :wilgotnosc, :pracownik).
inline const QStringList S8 = {
    QStringLiteral("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) VALUES"),
    QStringLiteral("(:data, :modul, :punkt, :temperatura, :wilgotnosc, :pracownik)"),
};

// A corrected reading, six lines (:data, :punkt, :temperatura, :wilgotnosc, :identyfikator).
inline const QStringList S9 = {
    QStringLiteral("UPDATE Wpisy SET"),        QStringLiteral("Data=:data, "),
    QStringLiteral("Punkt=:punkt, "),          QStringLiteral("Temperatura=:temperatura, "),
    QStringLiteral("Wilgotnosc=:wilgotnosc"),  QStringLiteral("WHERE Identyfikator=:identyfikator"),
};

}  // namespace valmoro::app::statements
