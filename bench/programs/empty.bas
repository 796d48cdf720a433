REM An empty program: the time of starting and ending the interpreter. SYSTEM ends it
REM without waiting at bwBASIC's prompt.
SYSTEM
