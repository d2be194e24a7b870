{ for (i = 0; i < 3 i++) x(); }
