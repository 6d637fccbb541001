# 20000! by 20,000 multiplications, then the number of its decimal digits; the Python peer
# of fact20000.rill.
import sys

sys.set_int_max_str_digits(0)
f = 1
for i in range(1, 20001):
    f *= i
print(len(str(f)))
