{
  s = "abc\
}
