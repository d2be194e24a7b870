begin
  x := 1; { never closed
end.
