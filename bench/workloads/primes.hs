-- The sum of the first 2,000 primes: the infinite list of naturals from 2, kept where trial
-- division by 2, 3, ... up to the square root finds no divisor; the Hugs peer of primes.rill.
primes :: [Integer]
primes = filter isPrime [2 ..]

isPrime :: Integer -> Bool
isPrime n = all (\d -> n `mod` d /= 0) (takeWhile (\d -> d * d <= n) [2 ..])

main :: IO ()
main = print (sum (take 2000 primes))
