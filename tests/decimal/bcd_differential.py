#!/usr/bin/env python3
"""Differential test of `quorcalc-cli bcd` against a model of TBcd written with Python's decimal module.

For every operation (parse, neg, add, sub, mul, div, sqrt, fixed, exp, gen) the script generates N
requests, computes the answer TBcd has to give with the model below, feeds the requests through the
CLI in batches and compares the result lines byte for byte.

Roughly 60 % of the operands are built to hit the awkward places of the type: runs of nines, powers
of ten, digits ending in ...5 / ...50 / ...49 at the rounding place, 19-25 digit texts, exponent
gaps 0-20 between addends, cancellation, the range edges 1E-63 and 9.99999999999999999E+63 and
results just beyond them.  The rest are uniform random 1-18 digit values with exponents between
-70 and +70.  parse also gets malformed texts, long texts and exponents with 10-40 digits.

Usage:
    bcd_differential.py --cli PATH --cases N [--seed S] [--jobs J] [--ops parse,add,...]

The seed is always printed; the same seed gives the same cases whatever --jobs is.
"""

import argparse
import decimal
import multiprocessing
import os
import random
import re
import subprocess
import sys
import time
from decimal import ROUND_DOWN, ROUND_HALF_UP, Context, Decimal

OPS = ('parse', 'neg', 'add', 'sub', 'mul', 'div', 'sqrt', 'fixed', 'exp', 'gen')
CHUNK = 10000          # cases per batch; fixed so that a seed means the same cases for any --jobs

MESSAGES = {
    81: 'Bad BCD format',
    82: 'BCD larger than 10**64',
    83: 'BCD divide by zero',
    84: 'BCD negative input to sqrt, ln, or power',
}


# --------------------------------------------------------------------------------------------------
# The model.  Values are Decimals with at most 18 significant digits and an adjusted exponent in
# -63..63 (TBcd keeps 0.d1..d18 x 10^(E-63), E in 1..127).  Errors are plain ints (81..84).
# Arithmetic runs with an exponent range far wider than TBcd's; the range is applied afterwards,
# so a result just below 1E-63 is rounded at 18 digits first and only then flushed to zero.
# --------------------------------------------------------------------------------------------------

def _ctx(prec, rounding):
    return Context(prec=prec, rounding=rounding, Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN,
                   traps=[decimal.InvalidOperation, decimal.DivisionByZero, decimal.Overflow])


CTX_HU = _ctx(18, ROUND_HALF_UP)          # round half up at the guard digit
CTX_DN = _ctx(18, ROUND_DOWN)             # truncate
CTX_X = _ctx(400, ROUND_HALF_UP)          # wide enough to be exact for everything we feed it
CTX_W = {n: _ctx(n, ROUND_HALF_UP) for n in range(1, 19)}   # exp output, rounded to n digits

ZERO = Decimal(0)
ONE = Decimal(1)
GEN_LO = Decimal('1E-5')
GEN_HI = Decimal('1E18')


# Optional spaces, one sign, digits with an optional "." and digits (or "." and optional digits),
# then an optional exponent with at least one digit.  Nothing else.
TEXT_RE = re.compile(r' *([+-]?)(?:([0-9]+)(?:\.([0-9]*))?|\.([0-9]*))(?:[eE]([+-]?[0-9]+))?',
                     re.ASCII)


def in_range(d):
    """TBcd range: 1E+64 and more is an overflow, below 1E-63 is +0; there is no negative zero."""
    if d.is_zero():
        return ZERO
    a = d.adjusted()
    if a > 63:
        return 82
    if a < -63:
        return ZERO
    return d


def o_parse(text):
    m = TEXT_RE.fullmatch(text)
    if m is None:
        return 81
    sign, ipart, frac1, frac2, ex = m.groups()
    frac = frac1 if frac1 is not None else (frac2 or '')
    x = 0
    if ex:
        mag = ex.lstrip('+-').lstrip('0')
        if len(mag) > 40:                   # far beyond anything the digits could make up for
            mag = '9' * 40
        x = -int(mag or '0') if ex[0] == '-' else int(mag or '0')
    digits = ((ipart or '') + frac).lstrip('0')
    if not digits:
        # A zero mantissa still goes through the exponent field: integer zeros count nothing,
        # each zero after the point counts -1, and the field must not pass 127.
        if 63 - len(frac) + x > 127:
            return 82
        return ZERO
    last = x - len(frac)                    # power of ten of the last digit written
    adj = last + len(digits) - 1
    if adj > 63:
        return 82                           # rounding cannot bring it back below 1E64
    if adj < -64:
        return ZERO                         # rounds to 1E-64 at most
    if len(digits) > 19:                    # only the 19th significant digit decides the rounding
        last += len(digits) - 19
        digits = digits[:19]
    d = Decimal((1 if sign == '-' else 0, tuple(map(int, digits)), last))
    return in_range(CTX_HU.plus(d))


def o_neg(a):
    return ZERO if a.is_zero() else a.copy_negate()


def o_add(a, b):
    if a.is_zero():
        return b
    if b.is_zero():
        return a
    ea, eb = a.adjusted(), b.adjusted()
    if ea < eb:
        a, b, ea, eb = b, a, eb, ea
    gap = ea - eb
    if gap >= 19:
        return a                            # the smaller one falls off the end entirely
    if gap >= 2:                            # aligned to the guard place of the larger one first
        b = CTX_X.quantize(b, Decimal((0, (1,), ea - 18)))
    s = CTX_X.add(a, b)
    if s.is_zero():
        return ZERO
    ctx = CTX_HU if a.is_signed() == b.is_signed() else CTX_DN
    return in_range(ctx.plus(s))


def o_sub(a, b):
    return o_add(a, o_neg(b))


def o_mul(a, b):
    return in_range(CTX_HU.multiply(a, b))


def _coef18(d):
    dg = d.as_tuple().digits
    return dg + (0,) * (18 - len(dg))


def o_div(a, b):
    if b.is_zero():
        return 83
    if a.is_zero():
        return ZERO
    # The quotient is rounded only when the dividend's digits are not below the divisor's;
    # otherwise the extra quotient digit is not there and it is cut off.
    ctx = CTX_HU if _coef18(a) >= _coef18(b) else CTX_DN
    return in_range(ctx.divide(a, b))


def o_sqrt(x):
    """Correctly rounded to 18 digits (no root of an 18-digit value lies exactly half-way)."""
    if x.is_zero():
        return ZERO
    if x.is_signed():
        return 84
    return in_range(CTX_HU.sqrt(x))


def o_fixed(v, places):
    if places == 0:
        q = CTX_X.quantize(v, ONE)
        return '0' if q.is_zero() else format(q, 'f')
    q = CTX_X.quantize(abs(v), Decimal((0, (1,), -places)))
    return ('-' if v.is_signed() and not v.is_zero() else '') + format(q, 'f')


def o_exp(v, width):
    if width == 0:
        width = 24
    pad = ''
    if width > 24:
        pad = ' ' * (width - 24)
        width = 24
    nd = width - 6                          # significant digits shown
    if v.is_zero():
        return pad + ' 0.' + '0' * (nd - 1) + 'E+00'
    r = CTX_W[nd].plus(v)                   # a carry moves the exponent up
    sign, dg, e = r.as_tuple()
    dg = dg + (0,) * (nd - len(dg))
    adj = r.adjusted()
    return (pad + ('-' if sign else ' ') + str(dg[0]) + '.' + ''.join(map(str, dg[1:nd]))
            + 'E' + ('-' if adj < 0 else '+') + '%02d' % abs(adj))


def o_gen(v):
    if v.is_zero():
        return '0'
    a = abs(v)
    if GEN_LO <= a < GEN_HI:
        s = o_fixed(v, 18).rstrip('0')
        return s[:-1] if s.endswith('.') else s
    t = o_exp(v, 24).lstrip(' ')
    mant, ex = t.split('E')
    mant = mant.rstrip('0')
    if mant.endswith('.'):
        mant = mant[:-1]
    if ex[1] == '0':
        ex = ex[0] + ex[2:]
    return mant + 'E' + ex


def to_hex(d):
    """The ten bytes of a TBcd: sign and biased exponent, then the digits two per byte, least
    significant byte first (byte 1 low nibble = 18th digit, byte 9 high nibble = 1st digit)."""
    if d.is_zero():
        return '0' * 20
    sign, dg, e = d.as_tuple()
    n = len(dg)
    assert 1 <= n <= 18 and dg[0] != 0, d
    big_e = e + n + 63                      # adjusted exponent + 64
    assert 1 <= big_e <= 127, d
    dd = dg + (0,) * (18 - n)
    return '%02x' % ((sign << 7) | big_e) + ''.join(
        '%x%x' % (dd[18 - 2 * i], dd[19 - 2 * i]) for i in range(1, 10))


def error_line(code):
    return 'error\t%d\t%s' % (code, MESSAGES[code])


def expect(req):
    """The result line the tool must print for one request line."""
    f = req.split('\t')
    op = f[0]
    if op == 'parse':
        v = o_parse(f[1])
        return error_line(v) if isinstance(v, int) else 'ok\t' + to_hex(v)
    a = o_parse(f[1])
    if isinstance(a, int):
        return error_line(a)
    if op in ('add', 'sub', 'mul', 'div'):
        b = o_parse(f[2])
        if isinstance(b, int):
            return error_line(b)
        v = {'add': o_add, 'sub': o_sub, 'mul': o_mul, 'div': o_div}[op](a, b)
    elif op == 'neg':
        v = o_neg(a)
    elif op == 'sqrt':
        v = o_sqrt(a)
    elif op == 'fixed':
        assert f[2] == '0'
        return 'ok\t' + o_fixed(a, int(f[3]))
    elif op == 'exp':
        return 'ok\t' + o_exp(a, int(f[2]))
    elif op == 'gen':
        return 'ok\t' + o_gen(a)
    else:
        raise ValueError(op)
    return error_line(v) if isinstance(v, int) else 'ok\t' + to_hex(v)


# --------------------------------------------------------------------------------------------------
# Self-check of the model against values worked out by hand.
# --------------------------------------------------------------------------------------------------

def _val(text):
    v = o_parse(text)
    assert not isinstance(v, int), text
    return v


def self_check():
    P = _val
    checks = [
        ('sqrt 2', o_sqrt(P('2')), P('1.41421356237309505')),
        ('sqrt 1', o_sqrt(P('1')), P('1')),
        ('sqrt 100', o_sqrt(P('100')), P('10')),
        ('sqrt 1E6', o_sqrt(P('1E6')), P('1000')),
        ('sqrt 4', o_sqrt(P('4')), P('2')),
        ('sqrt 1E-63', o_sqrt(P('1E-63')), P('3.16227766016837933E-32')),
        ('sqrt -1', o_sqrt(P('-1')), 84),
        ('2/3', o_div(P('2'), P('3')), P('0.666666666666666666')),
        ('5/3', o_div(P('5'), P('3')), P('1.66666666666666667')),
        ('1/0', o_div(P('1'), P('0')), 83),
        ('0/0', o_div(P('0'), P('0')), 83),
        ('1 - 1E-18', o_sub(P('1'), P('1E-18')), P('0.999999999999999999')),
        ('123456789012345678 + 0.45', o_add(P('123456789012345678'), P('0.45')),
         P('123456789012345679')),
        ('999999999999999999 + 0.5', o_add(P('999999999999999999'), P('0.5')), P('1E18')),
        ('1 - 6E-19', o_sub(P('1'), P('6E-19')), P('1')),
        ('1.5E-63 - 1E-63', o_sub(P('1.5E-63'), P('1E-63')), ZERO),
        ('9.99999999999999999E+63 + 1E+63', o_add(P('9.99999999999999999E+63'), P('1E+63')), 82),
        ('x - x', o_sub(P('1.25'), P('1.25')), ZERO),
        ('parse 1234567890123456789012', o_parse('1234567890123456789012'),
         P('1.23456789012345679E+21')),
        ('parse 0.9999999999999999995', o_parse('0.9999999999999999995'), P('1')),
        ('parse 9.99999999999999999499E-64', o_parse('9.99999999999999999499E-64'), ZERO),
        ('parse 9.999999999999999995E-64', o_parse('9.999999999999999995E-64'), P('1E-63')),
        ('parse 9.999999999999999995E+63', o_parse('9.999999999999999995E+63'), 82),
        ('parse 1E64', o_parse('1E64'), 82),
        ('parse 0E65', o_parse('0E65'), 82),
        ('parse 0.0E65', o_parse('0.0E65'), ZERO),
        ('parse .E200', o_parse('.E200'), 82),
        ('parse 1E-99999999999999', o_parse('1E-99999999999999'), ZERO),
        ('parse 1E+99999999999999', o_parse('1E+99999999999999'), 82),
        ('parse 1 ', o_parse('1 '), 81),
        ('parse 1,5', o_parse('1,5'), 81),
        ('parse inf', o_parse('inf'), 81),
        ('parse 1_0', o_parse('1_0'), 81),
        ('parse empty', o_parse(''), 81),
        ('parse -', o_parse('-'), 81),
        ('parse 1e', o_parse('1e'), 81),
        ('parse \\u0661', o_parse('\u0661'), 81),
        ('parse "  -.5e1"', o_parse('  -.5e1'), P('-5')),
        ('parse -.', o_parse('-.'), ZERO),
        ('mul 1E32 * 1E32', o_mul(P('1E32'), P('1E32')), 82),
        ('mul below 1E-63', o_mul(P('9.99999999999999999E-32'), P('1E-32')), ZERO),
        ('mul rounds to 1E-63', o_mul(P('3.33333333333333333E-32'), P('3.00000000000000001E-32')),
         P('1E-63')),
        ('add -0 result', o_add(P('-1E-63'), P('1E-63')), ZERO),
        ('sub truncates', o_sub(P('1'), P('1.5E-18')), P('0.999999999999999998')),
        ('hex 2', to_hex(P('2')), '40000000000000000020'),
        ('hex -1.5E-63', to_hex(P('-1.5E-63')), '81000000000000000015'),
        ('hex 123456789012345678', to_hex(P('123456789012345678')), '51785634129078563412'),
        ('fixed -0.0004 2', o_fixed(P('-0.0004'), 2), '-0.00'),
        ('fixed -0.5 0', o_fixed(P('-0.5'), 0), '-1'),
        ('fixed -0.4 0', o_fixed(P('-0.4'), 0), '0'),
        ('fixed 2.5 0', o_fixed(P('2.5'), 0), '3'),
        ('fixed 0.125 2', o_fixed(P('0.125'), 2), '0.13'),
        ('fixed 1E20 1', o_fixed(P('1E20'), 1), '100000000000000000000.0'),
        ('exp 0', o_exp(ZERO, 0), ' 0.00000000000000000E+00'),
        ('exp -1.5', o_exp(P('-1.5'), 0), '-1.50000000000000000E+00'),
        ('exp 9.99999999999999999E+63 w10', o_exp(P('9.99999999999999999E+63'), 10), ' 1.000E+64'),
        ('exp 1.2345E-7 w26', o_exp(P('1.2345E-7'), 26), '   1.23450000000000000E-07'),
        ('gen 0', o_gen(ZERO), '0'),
        ('gen 1E+20', o_gen(P('1E20')), '1E+20'),
        ('gen 1.234E-6', o_gen(P('1.234E-6')), '1.234E-6'),
        ('gen -1.25E-7', o_gen(P('-1.25E-7')), '-1.25E-7'),
        ('gen 1.5E-12', o_gen(P('1.5E-12')), '1.5E-12'),
        ('gen 0.00001', o_gen(P('0.00001')), '0.00001'),
        ('gen -120.5', o_gen(P('-120.5')), '-120.5'),
        ('gen 999999999999999999', o_gen(P('999999999999999999')), '999999999999999999'),
        ('gen 1E18', o_gen(P('1E18')), '1E+18'),
    ]
    bad = []
    for name, got, want in checks:
        same = (got == want) if isinstance(want, str) else (
            type(got) is type(want) and got == want
            and (isinstance(got, int) or got.is_signed() == want.is_signed()))
        if not same:
            bad.append('  %s: model gives %r, expected %r' % (name, got, want))
    if bad:
        print('model self-check FAILED:\n' + '\n'.join(bad))
        sys.exit(2)


# --------------------------------------------------------------------------------------------------
# Case generation.
# --------------------------------------------------------------------------------------------------

EDGE_TEXTS = [
    '1E-63', '-1E-63', '9.99999999999999999E+63', '-9.99999999999999999E63', '1E+64', '-1E64',
    '1E-64', '-1e-64', '9.99999999999999999499E-64', '9.999999999999999995E-64',
    '-9.999999999999999995E-64', '9.999999999999999995E63', '-9.999999999999999994999E63',
    '0.1E-62', '1.00000000000000001E-63', '5E-64', '4.9999999999999999999E-64',
    '0.999999999999999999E64', '99999999999999999.9E46', '1E63', '-1E+63', '5E63', '3.2E-63',
    '999999999999999999', '0.999999999999999999', '1.00000000000000001', '1', '-1', '0.5',
]

ODD_TEXTS = [
    '', ' ', '   ', '+', '-', '+-1', '-+1', '--1', '++1', 'e', 'E', 'E5', 'e5', '.e', '.', '-.',
    '+.', '.E5', '-.e-5', '1e', '1E+', '1E-', '1.5E', '1..5', '1.5.', '.1.', '1,5', '1,000',
    '1,000.5', '1_000', 'inf', 'Inf', '-inf', 'infinity', 'Infinity', 'nan', 'NaN', 'sNaN', '0x10',
    '1e5.0', '1 ', ' 1', '1 5', '1. 5', '- 1', '1e 5', '1e+ 5', '\uff11', '\u0663', '1d5', '1D5',
    '1.5f', '5%', '(1)', '1/2', '1E5E5', '+.e1', '0.', '00', '-0', ' -0.0E-0', '.5', '5.',
    '-.5e-3', '\u22121', '1\xa0', '\xa01', '\x0b1', '1\x0c', '1e\u0665', '\u00b2', '1.\u0665',
    '+ 1', ' +1', '   -  1', '1e-', '1e--5', '1e+-5', '.-1', '1-', '1+', '1.e5', '1.E-5',
    '0E64', '0E65', '0.0E65', '-0E65', '.E64', '.E65', '0.E65', '000000.0000E66',
    '1E+0000000000000000000000000000000000000063', '1E-0000000000000000000000000000000000000063',
]

NON_ASCII_DIGITS = ['\u0663', '\uff11', '\u0966', '\u00b9', '\u2070', '\u0e53', '\U0001d7d9']
BLANKS = ['\xa0', '\x0b', '\x0c', '\u2007', '\u3000', '\u2009']
NEAR_WRAP_BASES = [2 ** 15, 2 ** 16, 2 ** 31, 2 ** 32, 2 ** 63, 2 ** 64, 10 ** 9, 10 ** 18]


def neg_text(t):
    """The same text with the other sign (leading spaces kept in front of the sign)."""
    s = t.lstrip(' ')
    lead = t[:len(t) - len(s)]
    if s.startswith('-'):
        return lead + s[1:]
    if s.startswith('+'):
        return lead + '-' + s[1:]
    return lead + '-' + s


class Gen:
    def __init__(self, seed):
        self.r = random.Random(seed)

    # ---- building blocks ------------------------------------------------------------------------

    def rand_digits(self, n):
        """n random digits, the first one not zero."""
        return str(self.r.randrange(10 ** (n - 1), 10 ** n))

    def struct_digits(self):
        r = self.r
        k = r.randrange(12)
        if k == 0:
            return '9' * r.randint(1, 25)
        if k == 1:
            return '1' + '0' * r.randint(0, 20)
        if k == 2:
            return self.rand_digits(r.randint(1, 17)) + '5'
        if k == 3:
            return self.rand_digits(18) + '5' + '0' * r.randint(0, 6)
        if k == 4:
            return self.rand_digits(18) + '4' + '9' * r.randint(0, 6)
        if k == 5:
            return self.rand_digits(r.randint(1, 17)) + r.choice(['50', '49', '51', '5', '45', '95'])
        if k == 6:
            return self.rand_digits(r.randint(1, 25))
        if k == 7:
            return '9' * r.randint(15, 18) + r.choice('0123456789') * r.randint(1, 3)
        if k == 8:
            return str(r.randint(1, 1000))
        if k == 9:
            return '1' + '0' * r.randint(1, 17) + r.choice(['1', '5', '49', '51', '9', '50'])
        if k == 10:
            return r.choice(['316227766016837933', '316227766016837934', '141421356237309505',
                             '707106781186547524', '3', '7', '9', '11', '25', '125', '5', '2', '4',
                             '8', '333333333333333333', '666666666666666667', '5' * 18])
        return self.rand_digits(r.randint(1, 18)) + '0' * r.randint(1, 6)

    def struct_adj(self):
        r = self.r
        u = r.random()
        if u < 0.3:
            return r.randint(-66, 66)
        if u < 0.5:
            return r.choice([-66, -65, -64, -63, -62, -61, -60, 60, 61, 62, 63, 64, 65])
        if u < 0.75:
            return r.randint(-6, 20)
        return r.randint(-63, 63)

    def exp_text(self, e):
        r = self.r
        if e == 0 and r.random() < 0.5:
            return ''
        s = r.choice('Ee')
        if e < 0:
            s += '-'
        elif r.random() < 0.4:
            s += '+'
        if r.random() < 0.08:
            s += '0' * r.randint(1, 12)
        return s + str(abs(e))

    def text_of(self, neg, digits, exp):
        """Some valid text for (-1)^neg * int(digits) * 10^exp."""
        r = self.r
        n = len(digits)
        u = r.random()
        if u < 0.30:                                   # d.dddE+x
            body = digits[0]
            if n > 1:
                body += '.' + digits[1:]
            elif r.random() < 0.2:
                body += '.'
            body += self.exp_text(exp + n - 1)
        elif u < 0.50:                                 # integer coefficient with exponent
            body = digits + self.exp_text(exp)
        elif u < 0.58:                                 # .ddd or 0.ddd with exponent
            body = r.choice(['0.', '.']) + digits + self.exp_text(exp + n)
        elif -45 <= exp and exp + n <= 45:             # plain positional
            if exp >= 0:
                body = digits + '0' * exp + r.choice(['', '', '.', '.0', '.000'])
            else:
                p = n + exp
                if p > 0:
                    body = digits[:p] + '.' + digits[p:]
                else:
                    body = r.choice(['0.', '.']) + '0' * (-p) + digits
        else:
            body = digits[0] + ('.' + digits[1:] if n > 1 else '') + self.exp_text(exp + n - 1)
        if r.random() < 0.04:
            body = '0' * r.randint(1, 4) + body
        sign = '-' if neg else ('+' if r.random() < 0.1 else '')
        lead = ' ' * r.randint(1, 3) if r.random() < 0.04 else ''
        return lead + sign + body

    def num(self, neg, digits, adj):
        return self.text_of(neg, digits, adj - len(digits) + 1)

    def zero_text(self):
        r = self.r
        if r.random() < 0.5:
            return r.choice(['0', '-0', '+0', '0.0', '.0', '0.', '.', '-.', '000', '0.000E5',
                             '0E-99', '-0.0e+10', ' 0', '0E64', '.E5', '+.e-3', '0.0E65'])
        return (r.choice(['', '-', '+']) + '0' * r.randint(0, 3) + r.choice(['', '.'])
                + '0' * r.randint(0, 3) + self.exp_text(r.randint(-80, 60)))

    def uniform_text(self):
        r = self.r
        return self.num(r.random() < 0.5, self.rand_digits(r.randint(1, 18)), r.randint(-70, 70))

    def struct_text(self):
        r = self.r
        u = r.random()
        if u < 0.10:
            t = r.choice(EDGE_TEXTS)
            if r.random() < 0.3:
                t = ('-' + t) if not t.startswith('-') else t[1:]
            return t
        if u < 0.15:
            return self.zero_text()
        return self.num(r.random() < 0.5, self.struct_digits(), self.struct_adj())

    def operand(self):
        """A general operand: mostly structured, a few malformed ones to see errors pass through."""
        r = self.r
        u = r.random()
        if u < 0.015:
            return self.mutate(self.uniform_text())
        if u < 0.60:
            return self.struct_text()
        return self.uniform_text()

    def parts(self, v):
        """(negative, 18-digit coefficient string, exponent of its last digit) of a model value."""
        sign, dg, e = v.as_tuple()
        s = ''.join(map(str, dg))
        pad = 18 - len(s)
        return bool(sign), s + '0' * pad, e - pad

    def near(self, v, flip):
        """A text for v (negated when flip), sometimes moved a few units in the last place."""
        r = self.r
        neg, s, e = self.parts(v)
        if flip:
            neg = not neg
        if r.random() < 0.4:
            c = int(s) + r.choice([-3, -2, -1, 1, 2, 3])
            if c > 0:
                s = str(c)
        return self.text_of(neg, s, e)

    def mutate(self, t):
        r = self.r
        k = r.randrange(17)
        i = r.randint(0, len(t))
        if k == 0:
            return t + ' '
        if k == 1:
            return t[:i] + '.' + t[i:]
        if k == 2:
            return t[:i] + ',' + t[i:]
        if k == 3:
            return t[:i] + r.choice('aAeExXfF_ iIoOdD+-') + t[i:]
        if k == 4:
            return t + r.choice(['e', 'E', 'e+', 'E-', 'e+-1', 'E1.5', 'e 5', 'E5E5', '.', '..'])
        if k == 5:
            return r.choice(['+', '-']) + r.choice(['+', '-']) + t.lstrip(' ')
        if k == 6:
            s = t.lstrip(' ')
            if s and s[0] in '+-':
                return s[0] + ' ' + s[1:]
            return '- ' + s
        if k == 7:
            pos = [j for j, c in enumerate(t) if c.isdigit()]
            if pos:
                j = r.choice(pos)
                return t[:j] + r.choice(NON_ASCII_DIGITS) + t[j + 1:]
            return t + r.choice(NON_ASCII_DIGITS)
        if k == 8:
            return r.choice(BLANKS) + t
        if k == 9:
            return t + r.choice(BLANKS)
        if k == 10:
            return re.sub('[0-9]', '', t)
        if k == 11:
            return t + t
        if k == 12:
            j = r.randrange(len(t)) if t else 0
            return t[:j] + t[j + 1:]
        if k == 13:
            if len(t) >= 2:
                j = r.randrange(len(t) - 1)
                return t[:j] + t[j + 1] + t[j] + t[j + 2:]
            return t + t
        if k == 14:
            return ' ' * r.randint(1, 4) + t
        if k == 15:
            return t.replace('.', ',') if '.' in t else t + ',0'
        return r.choice(ODD_TEXTS)

    # ---- per operation --------------------------------------------------------------------------

    def gen_parse(self):
        r = self.r
        u = r.random()
        if u < 0.30:
            return self.operand()
        if u < 0.48:
            return self.mutate(self.operand() if r.random() < 0.8 else self.zero_text())
        if u < 0.55:
            return r.choice(ODD_TEXTS)
        if u < 0.65:                                   # long texts
            k = r.randrange(5)
            if k == 0:
                d = self.rand_digits(r.randint(26, 300))
                return self.num(r.random() < 0.5, d, r.randint(-70, 70))
            if k == 1:
                d = self.rand_digits(r.randint(1, 40))
                return ('-' if r.random() < 0.5 else '') + '0' * r.randint(20, 300) + d
            if k == 2:
                z = r.randint(20, 300)
                return ('0.' + '0' * z + self.rand_digits(r.randint(1, 30)) + 'E'
                        + str(z + r.randint(-70, 70)))
            if k == 3:
                n = r.randint(19, 100)
                return '9' * n + 'E' + str(r.choice([63, 64, -63, -64, -65, 0]) - n + 1)
            d = self.rand_digits(r.randint(20, 150))
            p = r.randint(1, len(d) - 1)
            return d[:p] + '.' + d[p:] + self.exp_text(r.randint(-120, 20))
        if u < 0.77:                                   # exponents with many digits
            mant = r.choice(['1', '9.5', '-2', '.5', '0', '0.0', '-0', '.', self.rand_digits(r.randint(1, 18)),
                             '0.' + '0' * r.randint(1, 20) + '3', '9' * 25])
            k = r.randrange(3)
            if k == 0:
                e = self.rand_digits(r.randint(10, 15))
            elif k == 1:
                e = str(r.choice(NEAR_WRAP_BASES) + r.randint(-130, 130))
            else:
                e = '0' * r.randint(5, 40) + str(r.randint(0, 130))
            return mant + r.choice('eE') + r.choice(['', '+', '-']) + e
        if u < 0.87:                                   # zero texts around the exponent field limit
            f = r.choice([0, 0, 1, 2, 3, r.randint(4, 100)])
            x = 64 + f + r.randint(-3, 3)               # field 63 - f + x lands on 124..130
            return (r.choice(['', '-', '+', ' ']) + '0' * r.randint(0, 3) + ('.' if f or r.random() < 0.5 else '')
                    + '0' * f + r.choice('eE') + r.choice(['', '+']) + str(x))
        # rounding into and out of the range ends
        n = r.randint(18, 25)
        adj = r.choice([63, 64, -64, -63, -65])
        d = r.choice(['9' * n, '9' * 18 + r.choice(['4', '5', '49', '50', '51', '45']),
                      '9' * 17 + '8' + '5', self.rand_digits(18) + '5'])
        return self.num(r.random() < 0.5, d, adj)

    def gen_neg(self):
        return self.operand() if self.r.random() < 0.9 else self.zero_text()

    def gen_addsub(self, op):
        r = self.r
        u = r.random()
        if u < 0.40:                                   # exponent gaps 0..20
            a = self.struct_text() if r.random() < 0.6 else self.uniform_text()
            av = o_parse(a)
            if isinstance(av, int) or av.is_zero():
                return a, self.operand()
            g = r.randint(0, 20)
            eb = av.adjusted() + (g if r.random() < 0.3 else -g)
            d = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            b = self.num(r.random() < 0.5, d, eb)
            return (a, b) if r.random() < 0.7 else (b, a)
        if u < 0.55:                                   # (near) cancellation
            a = self.operand()
            av = o_parse(a)
            if isinstance(av, int) or av.is_zero():
                return a, a
            return a, self.near(av, flip=(op == 'add'))
        if u < 0.65:                                   # sums at the top of the range
            a = self.num(False, r.choice(['9' * 18, '5', '9' * 17 + '5', self.rand_digits(18)]), 63)
            b = self.num(False, r.choice(['9' * 18, '5', '1', self.rand_digits(18)]),
                         r.choice([63, 62, 50, 45, 46, 44, 43]))
            if op == 'sub':
                b = neg_text(b)
            if r.random() < 0.5:
                a, b = neg_text(a), neg_text(b)
            return a, b
        if u < 0.75:                                   # differences at the bottom of the range
            a = self.num(False, r.choice(['15', '1', '2', '1' + '0' * 17 + '1', self.rand_digits(18)]),
                         r.choice([-63, -62, -61]))
            bv = o_parse(a)
            if isinstance(bv, int) or bv.is_zero():
                return a, a
            b = self.near(bv, flip=False) if r.random() < 0.5 else self.num(
                False, r.choice(['1', '9' * 18, '5']), r.choice([-63, -64, -62]))
            if op == 'add':
                b = neg_text(b)
            return a, b
        if u < 0.80:
            z = self.zero_text()
            o = self.operand()
            return (z, o) if r.random() < 0.5 else (o, z)
        if u < 0.90:
            return self.struct_text(), self.struct_text()
        return self.operand(), self.operand()

    def gen_mul(self):
        r = self.r
        u = r.random()
        if u < 0.35:                                   # products near the range ends
            for _ in range(10):
                ea = r.randint(-63, 63)
                eb = r.choice([62, 63, 64, 65, -62, -63, -64, -65, -66]) - ea
                if -63 <= eb <= 63:
                    break
            else:
                eb = 0
            da = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            db = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            return self.num(r.random() < 0.5, da, ea), self.num(r.random() < 0.5, db, eb)
        if u < 0.45:                                   # squares of sqrt(10) and friends
            d = r.choice(['316227766016837933', '316227766016837934', '316227766016837932',
                          '999999999999999999', '1', '999999999999999995'])
            ea = r.choice([31, 32, -32, -31, -33])
            eb = r.choice([ea, ea + 1, ea - 1])
            d2 = d if r.random() < 0.7 else r.choice(['316227766016837933', '999999999999999999'])
            return self.num(r.random() < 0.3, d, ea), self.num(r.random() < 0.3, d2, eb)
        if u < 0.60:                                   # products with a 5 just after the 18th digit
            a = self.num(r.random() < 0.5, self.rand_digits(r.choice([17, 18])), r.randint(-20, 20))
            b = self.num(r.random() < 0.5, r.choice(['5', '25', '125', '2', '4', '8', '15', '3', '7', '11', '9']),
                         r.randint(-5, 5))
            return (a, b) if r.random() < 0.5 else (b, a)
        if u < 0.68:
            z = self.zero_text()
            o = self.operand()
            return (z, o) if r.random() < 0.5 else (o, z)
        if u < 0.80:
            return self.struct_text(), self.struct_text()
        return self.operand(), self.operand()

    def gen_div(self):
        r = self.r
        u = r.random()
        if u < 0.30:                                   # quotients near the range ends
            for _ in range(10):
                ea = r.randint(-63, 63)
                eb = ea - r.choice([62, 63, 64, -62, -63, -64, -65])
                if -63 <= eb <= 63:
                    break
            else:
                eb = 0
            da = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            db = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            return self.num(r.random() < 0.5, da, ea), self.num(r.random() < 0.5, db, eb)
        if u < 0.50:                                   # dividend digits equal / just above / below
            db = self.struct_digits() if r.random() < 0.5 else self.rand_digits(r.randint(1, 18))
            db = db[:18]
            c = int(db.ljust(18, '0')) + r.choice([0, 0, -1, 1, -2, 2, -10 ** r.randint(0, 17)])
            da = str(c) if c > 0 else db
            return (self.num(r.random() < 0.5, da, r.randint(-30, 30)),
                    self.num(r.random() < 0.5, db, r.randint(-30, 30)))
        if u < 0.58:                                   # division by zero, also 0/0
            a = self.operand() if r.random() < 0.8 else self.zero_text()
            return a, self.zero_text()
        if u < 0.63:
            return self.zero_text(), self.operand()
        if u < 0.78:                                   # repeating quotients
            b = self.num(r.random() < 0.5, r.choice(['3', '7', '9', '11', '13', '6', '12', '17', '19', '21',
                                                     '999999999999999999', '3' * 18, '7' * 18]),
                         r.randint(-5, 5))
            return self.struct_text(), b
        if u < 0.88:
            return self.struct_text(), self.struct_text()
        return self.operand(), self.operand()

    def gen_sqrt(self):
        r = self.r
        u = r.random()
        if u < 0.20:                                   # perfect squares
            n = r.randint(1, 10 ** r.randint(1, 9))
            return self.text_of(False, str(n * n), 2 * r.randint(-31, 14))
        if u < 0.28:
            t = self.operand()
            return t if t.lstrip(' ').startswith('-') else neg_text(t)
        if u < 0.32:
            return self.zero_text()
        if u < 0.60:
            return self.num(r.random() < 0.05, self.struct_digits(), self.struct_adj())
        if u < 0.65:
            return r.choice(EDGE_TEXTS)
        return self.num(r.random() < 0.1, self.rand_digits(r.randint(1, 18)), r.randint(-70, 70))

    def gen_fixed(self):
        r = self.r
        places = 0 if r.random() < 0.12 else r.randint(1, 25)
        u = r.random()
        if u < 0.30:                                   # a 5 / 49 / 50 right behind the last place kept
            tail = r.choice(['5', '49', '50', '51', '4', '9', '95', '99', '05', '45'])
            m = r.randint(0, 18 - len(tail))
            d = (self.rand_digits(m) if m else '') + tail
            t = self.text_of(r.random() < 0.5, d.lstrip('0') or '5', -(places + len(tail)))
        elif u < 0.38:
            t = r.choice(['0.5', '-0.5', '0.4999', '0.49999999999999999', '-0.49', '0.05', '-0.0000001',
                          '0.9', '-0.9', '0.500000000000000001', '-0.0004', '-0.999999999999999999',
                          '9.5', '-9.5', '0.9999999999999999995'])
        elif u < 0.46:                                 # small negatives that round to zero digits
            t = self.num(True, self.rand_digits(r.randint(1, 18)), -places - r.randint(1, 20))
        elif u < 0.50:
            t = self.zero_text()
        elif u < 0.75:
            t = self.num(r.random() < 0.5, self.struct_digits(), r.randint(-30, 63))
        else:
            t = self.operand()
        return 'fixed\t%s\t0\t%d' % (t, places)

    def gen_exp(self):
        r = self.r
        u = r.random()
        if u < 0.30:
            width = 0
        elif u < 0.35:
            width = 24
        elif u < 0.80:
            width = r.randint(8, 23)
        else:
            width = r.randint(25, 40)
        nd = (width if 8 <= width <= 23 else 24) - 6
        u = r.random()
        if u < 0.35:                                   # rounding at the last digit shown
            tail = r.choice(['5', '49', '50', '4', '9', '51', '99'])
            head = '9' * nd if r.random() < 0.4 else self.rand_digits(nd)
            d = (head + tail)[:max(18, nd)]
            t = self.num(r.random() < 0.5, d, self.struct_adj())
        elif u < 0.42:
            t = self.zero_text()
        else:
            t = self.operand()
        return 'exp\t%s\t%d' % (t, width)

    def gen_gen(self):
        r = self.r
        u = r.random()
        if u < 0.30:                                   # around the switch to exponent form
            d = self.struct_digits() if r.random() < 0.6 else self.rand_digits(r.randint(1, 18))
            t = self.num(r.random() < 0.5, d, r.choice([-7, -6, -5, -4, 16, 17, 18, 19]))
        elif u < 0.40:
            t = r.choice(['1E-5', '9.99999999999999999E-6', '0.00001', '0.000010000000000000005',
                          '0.0000123456789012345678', '1E18', '999999999999999999', '99999999999999999.9',
                          '1E20', '1.234E-6', '-1.25E-7', '123.456', '100', '0.1', '-0', '-1E-5',
                          '-9.99999999999999999E17', '1.00000000000000001E18', '5E-63', '9.99999999999999999E63'])
        elif u < 0.50:                                 # the 18th decimal place rounds
            n = r.randint(15, 18)
            d = self.rand_digits(n - 1) + r.choice(['5', '4', '9'])
            t = self.text_of(r.random() < 0.5, d, -19)
        elif u < 0.55:
            t = self.zero_text()
        else:
            t = self.operand()
        return 'gen\t' + t

    def request(self, op):
        if op == 'parse':
            return 'parse\t' + self.gen_parse()
        if op in ('neg', 'sqrt'):
            return op + '\t' + (self.gen_neg() if op == 'neg' else self.gen_sqrt())
        if op in ('add', 'sub'):
            a, b = self.gen_addsub(op)
        elif op == 'mul':
            a, b = self.gen_mul()
        elif op == 'div':
            a, b = self.gen_div()
        elif op == 'fixed':
            return self.gen_fixed()
        elif op == 'exp':
            return self.gen_exp()
        else:
            return self.gen_gen()
        return '%s\t%s\t%s' % (op, a, b)


# --------------------------------------------------------------------------------------------------
# Running the tool.
# --------------------------------------------------------------------------------------------------

MAX_SHOW = 20


def run_chunk(task):
    cli, op, index, count, seed = task
    g = Gen('%s:%s:%d' % (seed, op, index))
    reqs = []
    for _ in range(count):
        q = g.request(op)
        assert '\n' not in q and '\r' not in q, q
        reqs.append(q)
    want = [expect(q) for q in reqs]
    proc = subprocess.run([cli, '--decimal', '.', '--group', ',', 'bcd'],
                          input=('\n'.join(reqs) + '\n').encode('utf-8'),
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out = proc.stdout.decode('utf-8', errors='replace')
    got = out.split('\n')
    if got and got[-1] == '':
        got.pop()
    problems = []
    if proc.returncode != 0:
        problems.append('tool exited with status %d on batch %s #%d (stderr: %r)'
                        % (proc.returncode, op, index, proc.stderr[-300:]))
    if len(got) != len(reqs):
        problems.append('tool wrote %d lines for %d requests in batch %s #%d'
                        % (len(got), len(reqs), op, index))
    mismatches = 0
    shown = []
    classes = {}
    for i, (q, w) in enumerate(zip(reqs, want)):
        key = 'ok' if w.startswith('ok') else w.split('\t')[1]
        classes[key] = classes.get(key, 0) + 1
        gl = got[i] if i < len(got) else '<no line>'
        if gl != w:
            mismatches += 1
            if len(shown) < MAX_SHOW:
                shown.append((index, i, q, w, gl))
    return op, index, count, mismatches, shown, problems, classes


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    ap.add_argument('--cli', required=True, help='path of quorcalc-cli')
    ap.add_argument('--cases', type=int, default=100000, help='cases per operation')
    ap.add_argument('--seed', type=int, default=None)
    ap.add_argument('--jobs', type=int, default=2)
    ap.add_argument('--ops', default=','.join(OPS))
    args = ap.parse_args()

    seed = args.seed if args.seed is not None else int(time.time() * 1000) % 10 ** 9
    print('seed: %d' % seed, flush=True)
    ops = [o.strip() for o in args.ops.split(',') if o.strip()]
    for o in ops:
        if o not in OPS:
            ap.error('unknown operation %r' % o)
    if not os.access(args.cli, os.X_OK):
        ap.error('not an executable: %s' % args.cli)

    self_check()
    t0 = time.time()
    tasks = []
    for op in ops:
        left, index = args.cases, 0
        while left > 0:
            n = min(CHUNK, left)
            tasks.append((args.cli, op, index, n, seed))
            left -= n
            index += 1

    results = []
    if args.jobs <= 1:
        results = [run_chunk(t) for t in tasks]
    else:
        with multiprocessing.Pool(args.jobs) as pool:
            results = list(pool.imap_unordered(run_chunk, tasks))
    elapsed = time.time() - t0

    counts = {o: 0 for o in ops}
    bad = {o: 0 for o in ops}
    classes = {o: {} for o in ops}
    shown = []
    problems = []
    for op, index, count, mism, sh, prob, cls in results:
        counts[op] += count
        bad[op] += mism
        for k, v in cls.items():
            classes[op][k] = classes[op].get(k, 0) + v
        shown.extend((OPS.index(op), index, i, q, w, g) for index, i, q, w, g in sh)
        problems.extend(prob)

    for op in ops:
        cls = classes[op]
        detail = ', '.join('%s %d' % (k, cls[k]) for k in sorted(cls, key=lambda k: (k != 'ok', k)))
        print('%-6s %8d cases  %6d mismatches  (expected: %s)' % (op, counts[op], bad[op], detail))
    total = sum(counts.values())
    print('total  %8d cases in %.1f s' % (total, elapsed))

    if problems:
        print('\ntool problems:')
        for p in problems[:MAX_SHOW]:
            print('  ' + p)
    nbad = sum(bad.values())
    if nbad:
        shown.sort()
        print('\n%d mismatches; the first %d:' % (nbad, min(nbad, MAX_SHOW)))
        for _, _, _, q, w, g in shown[:MAX_SHOW]:
            print('  request:  %r' % q)
            print('  expected: %r' % w)
            print('  got:      %r' % g)
        print('re-run with: --seed %d --cases %d --ops %s'
              % (seed, args.cases, ','.join(o for o in ops if bad[o])))
    if nbad or problems:
        sys.exit(1)
    print('all results agree')


if __name__ == '__main__':
    main()
