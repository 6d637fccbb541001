-- nfib 27 (635,621 calls) on arbitrary-precision Integers; the Hugs peer of nfib.rill.
nfib :: Integer -> Integer
nfib n = if n < 2 then 1 else nfib (n - 1) + nfib (n - 2) + 1

main :: IO ()
main = print (nfib 27)
