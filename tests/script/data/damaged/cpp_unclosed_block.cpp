{
  if (x) {
    y();
