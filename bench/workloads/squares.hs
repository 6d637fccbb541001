-- The sum of the squares of 1 .. 10^6: the infinite list of naturals, mapped, taken and
-- summed; the Hugs peer of squares.rill.
main :: IO ()
main = print (sum (take 1000000 (map (\x -> x * x) [1 ..])) :: Integer)
