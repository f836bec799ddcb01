Lines of code
Cyclomatic complexity
Halstead volume
Comment ratio
