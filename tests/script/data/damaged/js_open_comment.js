x = /* never closed
