If a Then
  b = 1
