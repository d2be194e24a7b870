begin
  x := <Wpisy."Data"
end.
