Sub P(a
  x = 1
End Sub
