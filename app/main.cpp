// quorcalc: Quorlane Calculator.

#include "app/QuorCalc.h"

int main(int argc, char** argv)
{
    return QuorCalc(argc, argv);
}
