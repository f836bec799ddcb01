Module summary
Data dictionary
Call graph
