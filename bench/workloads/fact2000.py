# 2000! by multiplying 1 .. 2000 in turn, printed, then the sum of its decimal digits;
# the Python peer of fact2000.rill.
import sys

sys.set_int_max_str_digits(0)
f = 1
for i in range(2, 2001):
    f *= i
text = str(f)
print(text)
print(sum(int(c) for c in text))
