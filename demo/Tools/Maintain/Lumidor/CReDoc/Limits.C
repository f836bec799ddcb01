; limit name=caption,value
MaxCyclomatic=Cyclomatic complexity,10
MaxNesting=Nesting depth,5
MaxLines=Lines per module,2000
MaxParams=Parameters per routine,7
; a limit without a value is not shown
Reserved=Reserved,
