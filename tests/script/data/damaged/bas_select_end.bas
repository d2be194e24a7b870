Select Case x
Case 1:
  y = 1
End
