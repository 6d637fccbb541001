# The number of decimal digits of 3^1,000,000; the Python peer of pow3.rill.
import sys

sys.set_int_max_str_digits(0)
print(len(str(3 ** 1000000)))
