-- Starting data of a new installation. Passwords are given here as typed;
-- valmoro-dbinit replaces each with its hash before the file is put in place.

INSERT INTO Uzytkownicy (Nazwa, Haslo, Rola) VALUES ('Administrator', 'admin', 'administrator');
INSERT INTO Uzytkownicy (Nazwa, Haslo, Rola) VALUES ('Kowalski Jan', 'kowalski', 'pracownik');
INSERT INTO Uzytkownicy (Nazwa, Haslo, Rola) VALUES ('Nowak Anna', 'nowak', 'pracownik');

INSERT INTO Moduly (Modul, Punkt) VALUES ('Magazyn główny', 'Chłodnia 1');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Magazyn główny', 'Chłodnia 2');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Magazyn główny', 'Rampa załadunkowa');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Magazyn główny', 'Hala składowania');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Laboratorium', 'Pracownia mikrobiologii');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Laboratorium', 'Inkubator');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Laboratorium', 'Zamrażarka');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Biuro', 'Serwerownia');
INSERT INTO Moduly (Modul, Punkt) VALUES ('Biuro', 'Archiwum');

-- Four months of readings, three a day (6:00, 14:00, 22:00) at every point.
-- Values swing around each point's usual level in a fixed pseudo-random way,
-- so that every new installation shows the same log.
WITH RECURSIVE
  slot(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM slot WHERE n < 3 * 122 - 1),
  point(idx, modul, punkt, t0, h0) AS (VALUES
    (1, 'Magazyn główny', 'Chłodnia 1', 4.0, 85.0),
    (2, 'Magazyn główny', 'Chłodnia 2', 2.5, 88.0),
    (3, 'Magazyn główny', 'Rampa załadunkowa', 12.0, 70.0),
    (4, 'Magazyn główny', 'Hala składowania', 17.5, 55.0),
    (5, 'Laboratorium', 'Pracownia mikrobiologii', 21.0, 45.0),
    (6, 'Laboratorium', 'Inkubator', 37.0, 60.0),
    (7, 'Laboratorium', 'Zamrażarka', -20.0, 30.0),
    (8, 'Biuro', 'Serwerownia', 22.5, 40.0),
    (9, 'Biuro', 'Archiwum', 19.0, 50.0))
INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik)
SELECT
  strftime('%Y-%m-%d %H:%M:%S', '2026-08-01 06:00:00', '+' || (n * 8) || ' hours'),
  modul,
  punkt,
  round(t0 + ((n * 37 + idx * 101) % 41 - 20) / 10.0, 2),
  round(h0 + ((n * 53 + idx * 29) % 61 - 30) / 5.0, 2),
  CASE (n + idx) % 3 WHEN 0 THEN 'Administrator' WHEN 1 THEN 'Kowalski Jan' ELSE 'Nowak Anna' END
FROM slot CROSS JOIN point
ORDER BY n, idx;
