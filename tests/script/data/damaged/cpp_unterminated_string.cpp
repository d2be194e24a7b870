{
  x = "unterminated;
}
