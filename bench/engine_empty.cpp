// The yardstick of engine_bench: the cost of starting a C++ program that does nothing.
int main()
{
    return 0;
}
