do { x(); } until (y);
