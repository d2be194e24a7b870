var i, total: Integer;
    a: array[0..4] of Integer;
    s: String;

function Fact(n: Integer): Integer;
begin
  if n <= 1 then Result := 1 else Result := n * Fact(n - 1);
end;

procedure Twice(var x: Integer);
begin
  x := x * 2;
end;

begin
  total := 0;
  for i := 1 to 10 do total := total + i;
  ShowMessage(total);
  ShowMessage(Fact(6));
  for i := 0 to 4 do a[i] := i * i;
  ShowMessage(a[2] + a[4]);
  s := 'x';
  i := 0;
  while i < 3 do begin s := s + 'y'; i := i + 1; end;
  ShowMessage(s);
  Twice(total);
  ShowMessage(total);
  case total of
    110: ShowMessage('hundred ten');
  else ShowMessage('other');
  end;
  try
    i := 0;
    total := 1 mod i;
  except
    ShowMessage(ExceptionMessage);
  end;
  if total > 100 then ShowMessage('big') else ShowMessage('small');
end.
