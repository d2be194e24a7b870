#define
{}
