-- The number of lines of the file named by the first argument, read a character at a time
-- with hGetChar, as lines.rill reads it with fgetc; the Hugs peer of lines.rill. The count
-- is forced at every character, so that no chain of additions builds up.
import System.Environment (getArgs)
import System.IO

count :: Handle -> Int -> IO Int
count h n = do
    eof <- hIsEOF h
    if eof
        then return n
        else do
            c <- hGetChar h
            let m = if c == '\n' then n + 1 else n
            m `seq` count h m

main :: IO ()
main = do
    [path] <- getArgs
    h <- openFile path ReadMode
    n <- count h 0
    hClose h
    print n
