-- The log database. Texts compare without regard to letter case (NOCASE is
-- replaced by the program with a collation that knows every alphabet).

CREATE TABLE Wpisy (
  Identyfikator INTEGER PRIMARY KEY AUTOINCREMENT,
  Data          DATETIME,
  Modul         VARCHAR(30) COLLATE NOCASE CHECK (length(Modul) <= 30),
  Punkt         VARCHAR(30) COLLATE NOCASE CHECK (length(Punkt) <= 30),
  Temperatura   DOUBLE,
  Wilgotnosc    DOUBLE,
  Pracownik     VARCHAR(50) COLLATE NOCASE CHECK (length(Pracownik) <= 50)
);

-- The log of one module, newest first, and its date filter both walk this index.
CREATE INDEX WpisyModulData ON Wpisy (Modul, Data);

CREATE TABLE Uzytkownicy (
  Nazwa VARCHAR(50) COLLATE NOCASE NOT NULL UNIQUE CHECK (length(Nazwa) <= 50),
  Haslo VARCHAR(255),
  Rola  VARCHAR(30) COLLATE NOCASE CHECK (length(Rola) <= 30)
);

CREATE TABLE Moduly (
  Modul VARCHAR(30) COLLATE NOCASE NOT NULL CHECK (length(Modul) <= 30),
  Punkt VARCHAR(30) COLLATE NOCASE CHECK (length(Punkt) <= 30)
);

CREATE INDEX ModulyModulPunkt ON Moduly (Modul, Punkt);
