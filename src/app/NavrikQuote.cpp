// navrik-quote: the quoting filter for terminals and editors (being built).
int main()
{
    return 0;
}
