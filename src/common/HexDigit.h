#pragma once

// The value of one hexadecimal digit (either letter case), or -1 for any other character.
// Every decoder of hexadecimal text goes through here so that they agree on what a digit is.
constexpr int hexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return int(c - U'0');
    if (c >= U'a' && c <= U'f')
        return int(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return int(c - U'A') + 10;
    return -1;
}
