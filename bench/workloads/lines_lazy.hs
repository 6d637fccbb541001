-- The number of lines of the file named by the first argument: its text read lazily with
-- readFile and its newlines counted; a second Hugs peer of lines.rill, on a whole-text reading.
import System.Environment (getArgs)

main :: IO ()
main = do
    [path] <- getArgs
    text <- readFile path
    print (length (filter (== '\n') text))
