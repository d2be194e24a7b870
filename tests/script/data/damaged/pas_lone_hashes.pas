begin
  x := ##;
end.
