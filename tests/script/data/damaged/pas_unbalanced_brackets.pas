begin
  x := a[1, (2];
end.
