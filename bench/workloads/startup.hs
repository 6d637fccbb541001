-- Start-up: a program that does nothing; the Hugs peer of startup.rill.
main :: IO ()
main = return ()
