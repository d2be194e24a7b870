begin
  s := 'abc;
end.
