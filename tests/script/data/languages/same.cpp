int i, total;
int a[5];
string s;

int Fact(int n) {
  if (n <= 1) { return 1; }
  return n * Fact(n - 1);
}

void Twice(int &x) {
  x = x * 2;
}

{
  total = 0;
  for (i = 1; i <= 10; i++) total = total + i;
  ShowMessage(total);
  ShowMessage(Fact(6));
  for (i = 0; i < 5; i++) a[i] = i * i;
  ShowMessage(a[2] + a[4]);
  s = "x";
  i = 0;
  while (i < 3) { s = s + "y"; i++; }
  ShowMessage(s);
  Twice(total);
  ShowMessage(total);
  switch (total) {
    case 110: ShowMessage("hundred ten");
    default: ShowMessage("other");
  }
  try {
    i = 0;
    total = 1 % i;
  } except {
    ShowMessage(ExceptionMessage);
  }
  if (total > 100) ShowMessage("big"); else ShowMessage("small");
}
