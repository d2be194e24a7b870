Dim i, total
Dim a[5]
Dim s

Function Fact(n)
  If n <= 1 Then
    Return 1
  End If
  Return n * Fact(n - 1)
End Function

Sub Twice(ByRef x)
  x = x * 2
End Sub

total = 0
For i = 1 To 10
  total = total + i
Next
ShowMessage(total)
ShowMessage(Fact(6))
For i = 0 To 4
  a[i] = i * i
Next
ShowMessage(a[2] + a[4])
s = "x"
i = 0
While i < 3
  s = s & "y"
  i = i + 1
Wend
ShowMessage(s)
Twice(total)
ShowMessage(total)
Select Case total
Case 110:
  ShowMessage("hundred ten")
Case Else:
  ShowMessage("other")
End Select
Try
  i = 0
  total = 1 Mod i
Catch
  ShowMessage(ExceptionMessage)
End Try
If total > 100 Then
  ShowMessage("big")
Else
  ShowMessage("small")
End If
