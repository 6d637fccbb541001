-- Church numerals from s, k and i only: 2^16 as sixteen two, counted out 16 times and the
-- counts summed; the Hugs peer of church.rill.
-- Counting out with (+ 1) and 0 directly would build a 65,536-deep chain of additions that
-- overflows Hugs's fixed control stack, so both sides count in continuation-passing style:
-- the successor adds one and hands the count on, the zero is the identity continuation.
s :: (a -> b -> c) -> (a -> b) -> a -> c
s x y z = x z (y z)

k :: a -> b -> a
k x _ = x

i :: a -> a
i x = x

sc = s (s (k s) k)
zero = k i
two = sc (sc zero)
sixteen = sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc (sc zero)))))))))))))))

up :: (Integer -> Integer) -> Integer -> Integer
up c a = c $! (a + 1)

go :: Int -> Integer -> Integer
go n a = if n < 1 then a else go (n - 1) $! (a + sixteen two up i 0)

main :: IO ()
main = print (go 16 0)
