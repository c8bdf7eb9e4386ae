// The placeholder program: it does nothing and ends at once. It is linked
// against the store library like the firmware's other programs.
int main()
{
    return 0;
}
